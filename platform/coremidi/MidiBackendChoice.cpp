#include "platform/coremidi/MidiBackend.h"
#include "platform/coremidi/VirtualMidiEnvironment.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The one place that chooses. DRAVIK_MIDI_BACKEND=virtual asks for the in-process
// back-end, which is also the only one this build has: the system's sequencer
// ("alsa", and the default where it can be opened) plugs in here.
std::unique_ptr<MidiBackend> chooseMidiBackend()
{
    char const* wanted = std::getenv("DRAVIK_MIDI_BACKEND");
    if (wanted && *wanted && std::strcmp(wanted, "virtual") != 0)
        std::fprintf(stderr, "DRAVIK_MIDI_BACKEND=%s: no such MIDI back-end, using the virtual one\n", wanted);
    auto backend = std::make_unique<VirtualMidiBackend>();
    applyVirtualMidiEnvironment(*backend);
    return backend;
}

} // namespace

MidiBackend& midiBackend()
{
    // Never destroyed: threads of the program may make MIDI calls while it exits.
    static MidiBackend* const backend = chooseMidiBackend().release();
    return *backend;
}
