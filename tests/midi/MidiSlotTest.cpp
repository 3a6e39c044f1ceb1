#include "tests/midi/MidiManagerTestSupport.h"

#include "foundation/TIniFile.h"
#include "midi/TMidiAliasManager.h"
#include "midi/TMidiRouter.h"

using namespace miditest;

TEST(MidiSlot, OptionsAreReadAsStoredAndWrittenPerDirection)
{
    freshVirtualMidi();
    Tr::MidiManager::instance();
    struct Case {
        int input;
        std::string options;
        int activeSensing;
        int timingClock;
        unsigned int type;
    };
    unsigned int const coreMidi = Tr::kMidiTypeCoreMidi;
    Case const cases[] = {
        {1, "", 1, 0, coreMidi},
        {1, "T", 1, 0, coreMidi},
        {1, "FFTT", 0, 0, Tr::kMidiTypeInternal},
        {1, "TFTF", 1, 0, Tr::kMidiTypePexaVirtual},
        {1, "TTFF54534554", 1, 1, unsigned(TestFactory::kType)},
        {0, "TT", 1, 1, Tr::kMidiTypeInternal},
        {0, "FFGHIJKLMN", 1, 1, coreMidi},
        {0, "FF54534554", 1, 1, unsigned(TestFactory::kType)},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.options);
        Tr::TIniFile ini("unused.ini");
        char const* section = c.input ? "MIDI.in" : "MIDI.out";
        ini.WriteString(section, "Name4", "Port");
        ini.WriteString(section, "Options4", c.options.c_str());
        Tr::MMDevIn in(nullptr, 0);
        in.SetTimingClock(0);
        Tr::MMDevOut out(nullptr, 0);
        Tr::MidiManagerDev& slot = c.input ? static_cast<Tr::MidiManagerDev&>(in) : out;
        // The type code of a slot is its back-end's: a registered one, for this test.
        TestFactory typed;
        typed.type = c.type;
        Tr::MidiManager::instance()->AddFactory(&typed, 0);
        slot.loadFromIniFile(ini, 4);
        Tr::MidiManager::instance()->RemoveFactory(&typed, 0);
        EXPECT_EQ(c.type, slot.GetType());
        EXPECT_STREQ("Port", slot.GetName().c_str());
        if (c.input) {
            EXPECT_EQ(c.activeSensing, in.GetActiveSensing());
            EXPECT_EQ(c.timingClock, in.GetTimingClock());
        }
    }

    Tr::TIniFile ini("unused.ini");
    Tr::MMDevIn(coreMidi, 0, "In").saveToIniFile(ini, 0);
    Tr::MMDevOut(coreMidi, 0, "Out").saveToIniFile(ini, 0);
    EXPECT_STREQ("TTFF4944494D", ini.ReadString("MIDI.in", "Options0", "").c_str());
    EXPECT_STREQ("FF4944494D", ini.ReadString("MIDI.out", "Options0", "").c_str());
}

using MidiSlotCopy = ManagerTest;

TEST_F(MidiSlotCopy, AssignFromTakesTheStateButNotTheDevice)
{
    plug({"Out"}, {"In"});
    manager->RefreshDevList(1, 0, 1);
    Tr::TMidiAliasManager* aliases = Tr::TMidiAliasManager::instance();
    Tr::TMidiAlias* thruOut = aliases->GetAliasByName(port("Out").c_str(), Tr::AliasMidiOut, 0);
    int route = Tr::TMidiRouter::instance()->AddRoute(
        aliases->GetAliasByName(port("In").c_str(), Tr::AliasMidiIn, 0), thruOut);
    open("In", 1);
    manager->EnableInTimeCode(index("In", 1), 0);
    manager->SetSuspended(1);
    open("In", 1);

    Tr::MMDevIn copy(nullptr, 0);
    copy.AssignFrom(static_cast<Tr::MMDevIn&>(slot("In", 1)));
    manager->SetSuspended(0);
    EXPECT_EQ(index("In", 1), copy.GetIndex());
    EXPECT_EQ(port("In"), copy.GetName().c_str());
    EXPECT_TRUE(copy.IsPending());
    EXPECT_TRUE(copy.Exists());
    EXPECT_EQ(0, copy.GetTimingClock());
    EXPECT_EQ(1, copy.GetActiveSensing());
    EXPECT_FALSE(copy.IsOpen());
    EXPECT_TRUE(slot("In", 1).IsOpen());
    Tr::TMidiAliasList thru;
    copy.GetThruList(thru);
    EXPECT_EQ(1, thru.count);
    EXPECT_EQ(thruOut, thru.count ? thru.items[0] : nullptr);
    Tr::TMidiRouter::instance()->RemoveRoute(route);
}
