#pragma once

#include "platform/coremidi/MIDIServices.h"

#include <string>

// A unique id made from an object's role ("source", "entity", ...) and a key that
// names it, the same in every run; never 0 or -1, which name no object.
SInt32 midiUniqueId(char const* role, std::string const& key);
