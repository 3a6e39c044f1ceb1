// The MIDI layer as the program has it: linked through the app library exactly as
// the executable is. Nothing here refers to the unit that registers the CoreMIDI
// back-end, so only the way the program is linked can bring it in.

#include "foundation/Exception.h"
#include "foundation/PexaSystem.h"
#include "midi/MidiManager.h"
#include "midi/MidiDeviceFactory.h"
#include "midi/coremidi/MidiMacFactory.h"

#include <gtest/gtest.h>

TEST(MidiProgramLink, TheCoreMidiFactoryIsRegisteredAndShutDownWithTheManager)
{
    setenv("DRAVIK_MIDI_BACKEND", "virtual", 1);
    Tr::MidiDeviceFactory* coreMidi = Tr::MidiManager::instance()->GetFactory(0x4944494D);
    ASSERT_NE(nullptr, coreMidi);
    EXPECT_STREQ("MIDI Output", coreMidi->GetTypeName(0).c_str());

    Tr::PexaSystem::shutdown();
    EXPECT_FALSE(Tr::MidiManager::IsInstanceAllocated());
    try {
        Tr::MidiManager::instance();
        ADD_FAILURE() << "made again";
    } catch (Tr::Exception const& error) {
        EXPECT_STREQ("Cannot re-instanciate MidiManager!", error.what());
    }
    EXPECT_FALSE(Tr::MidiMacFactory::IsInstanceAllocated());
    try {
        Tr::MidiMacFactory::instance();
        ADD_FAILURE() << "made again";
    } catch (Tr::Exception const& error) {
        EXPECT_STREQ("Cannot re-instanciate MidiMacFactory!", error.what());
    }
}
