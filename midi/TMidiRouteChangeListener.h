#pragma once

namespace Tr {

// Told when the list of MIDI routes changed.
class TMidiRouteChangeListener {
public:
    virtual void OnMidiRouteListChanged() = 0;

protected:
    ~TMidiRouteChangeListener() = default;
};

} // namespace Tr
