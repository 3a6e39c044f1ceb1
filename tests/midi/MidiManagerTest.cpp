#include "midi/MidiManager.h"

#include "midi/coremidi/MidiMacFactory.h"

#include "tests/midi/MidiTestSupport.h"

#include <gtest/gtest.h>

using namespace miditest;

TEST(MidiManager, MadeOnFirstUseWithTheCoreMidiFactory)
{
    freshVirtualMidi();
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    EXPECT_TRUE(Tr::MidiManager::IsInstanceAllocated());
    EXPECT_EQ(manager, Tr::MidiManager::instance());
    EXPECT_EQ(Tr::MidiMacFactory::instance(), manager->GetFactory(Tr::MidiMacFactory::kType));
}

TEST(MidiManager, FactoriesAreAddedOnceAndFoundByTheirType)
{
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    TestFactory first;
    TestFactory second;
    manager->AddFactory(&first, 0);
    manager->AddFactory(nullptr, 0);
    EXPECT_EQ(&first, manager->GetFactory(TestFactory::kType));
    manager->AddFactory(&second, 0);
    manager->AddFactory(&first, 0);
    EXPECT_EQ(&second, manager->GetFactory(TestFactory::kType));
    manager->RemoveFactory(&second, 0);
    EXPECT_EQ(&first, manager->GetFactory(TestFactory::kType));
    manager->RemoveFactory(&first, 0);
    manager->RemoveFactory(&first, 0);
    EXPECT_EQ(nullptr, manager->GetFactory(TestFactory::kType));
}
