#include "midi/coremidi/MidiPortMacInit.h"

#include "midi/coremidi/MidiMacFactory.h"

namespace Tr {

namespace {

struct Registration {
    Registration() { MidiManager::AddInitializer(new MidiPortMac_MMInit); }
} const registration;

} // namespace

void MidiPortMac_MMInit::OnMidiManagerInited()
{
    MidiManager::instance()->AddFactory(MidiMacFactory::instance(), 0);
}

} // namespace Tr
