#include "platform/coremidi/MidiUniqueId.h"

SInt32 midiUniqueId(char const* role, std::string const& key)
{
    // FNV-1a over the role and the key.
    uint32_t hash = 2166136261u;
    for (unsigned char c : std::string(role) + '\n' + key) {
        hash ^= c;
        hash *= 16777619u;
    }
    SInt32 id = SInt32(hash);
    return id == 0 || id == -1 ? 1 : id;
}
