#pragma once

// Sets the virtual back-end up for black-box tests of the built program:
// DRAVIK_VIRTUAL_MIDI_PORTS   port names separated by ";", each plugged in as a
//                             source and a destination of that name;
// DRAVIK_VIRTUAL_MIDI_LOG     a file that receives one line per packet sent;
// DRAVIK_VIRTUAL_MIDI_CONTROL a named pipe read while the program runs, one command
//                             a line: "add NAME", "remove NAME", "fail-send STATUS",
//                             "ok-send", "hold-changes", "release-changes";
// DRAVIK_VIRTUAL_MIDI_REPLY   a named pipe that receives a line for each command once
//                             it has been carried out: "ok", or "error" when it was
//                             none, so a test knows when the program has it.
// A port's unique ids come from its name, so they are the same in every run. The
// pipe is read on a thread of its own, which ends when the process does.

#include "platform/coremidi/VirtualMidiBackend.h"

void applyVirtualMidiEnvironment(VirtualMidiBackend& backend);
