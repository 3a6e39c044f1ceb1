#pragma once

namespace Tr {

// Marks the exception of an OpenImpl that found its port gone: the MIDI manager
// does not report it but keeps the open pending until the port is back.
class MidiPortAbsent {
protected:
    ~MidiPortAbsent() = default;
};

} // namespace Tr
