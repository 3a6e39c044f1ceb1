#pragma once

namespace Tr {

// Told when the list of MIDI aliases changed.
class TMidiAliasChangeListener {
public:
    virtual void OnMidiAliasListChanged() = 0;

protected:
    ~TMidiAliasChangeListener() = default;
};

} // namespace Tr
