#pragma once
// Readable names of MIDI notes and controllers.

#include "foundation/BString.h"

namespace Tr {

constexpr char SFNote[] = "Note %s";
constexpr char SFController[] = "Controller %s";

// The note's name and octave, middle C (60) being "C4"; empty outside 0 to 127.
BString GetMidiNoteName(int note);

// The controller's name; a controller without one gives "Controller <number>"
// when fallBack is non-zero, else the empty text. Empty outside 0 to 127.
BString GetMidiControllerName(int number, int fallBack);

} // namespace Tr
