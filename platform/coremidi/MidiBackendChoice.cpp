#include "platform/coremidi/AlsaMidiBackend.h"
#include "platform/coremidi/MidiBackend.h"
#include "platform/coremidi/VirtualMidiEnvironment.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The one place that chooses: DRAVIK_MIDI_BACKEND=alsa asks for the system's
// sequencer (whose calls fail while it cannot be opened), "virtual" for the
// in-process back-end; unset, the sequencer when it can be opened, else the
// in-process back-end.
std::unique_ptr<MidiBackend> chooseMidiBackend()
{
    char const* variable = std::getenv("DRAVIK_MIDI_BACKEND");
    std::string wanted = variable ? variable : "";
    if (wanted == "alsa" || wanted.empty()) {
        auto alsa = std::make_unique<AlsaMidiBackend>();
        if (!wanted.empty() || alsa->available())
            return alsa;
    } else if (wanted != "virtual") {
        std::fprintf(stderr, "DRAVIK_MIDI_BACKEND=%s: no such MIDI back-end, using the virtual one\n", wanted.c_str());
    }
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
