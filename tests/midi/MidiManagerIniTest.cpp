#include "tests/midi/MidiManagerTestSupport.h"

#include "foundation/TIniFile.h"
#include "midi/coremidi/MidiMacFactory.h"

using namespace miditest;

namespace {

std::vector<std::string> keysOf(Tr::TIniFile const& ini, char const* section)
{
    Tr::TStringList keys;
    ini.ReadSectionKeys(section, keys);
    std::vector<std::string> names;
    for (int i = 0; i < keys.GetCount(); ++i)
        names.push_back(keys.GetString(i).c_str());
    return names;
}

std::string valueOf(Tr::TIniFile const& ini, char const* section, char const* key)
{
    return ini.ReadString(section, key, "").c_str();
}

} // namespace

using MidiManagerIni = ManagerTest;

TEST_F(MidiManagerIni, OnlyOpenAndPendingPortsAreSavedAndStaleEntriesGo)
{
    Tr::MidiManager::CloseAll(1);
    plug({"A", "B", "C"}, {"In"});
    manager->RefreshDevList(1, 0, 1);
    open("B");
    open("C");
    open("In", 1);
    plug({"A", "C"}, {"In"});
    manager->RefreshDevList(1, 0, 1);
    Tr::TIniFile ini("unused.ini");
    for (char const* key : {"Other", "Name0", "Options0", "Name1", "Name2", "Options2", "Name3", "Options3"})
        ini.WriteString("MIDI.out", key, "old");

    manager->saveToIniFile(ini);
    EXPECT_EQ((std::vector<std::string>{"Other", "Name0", "Options0", "Name1", "Options1"}), keysOf(ini, "MIDI.out"));
    EXPECT_EQ(port("B"), valueOf(ini, "MIDI.out", "Name0"));
    EXPECT_EQ(port("C"), valueOf(ini, "MIDI.out", "Name1"));
    EXPECT_EQ("FF54534554", valueOf(ini, "MIDI.out", "Options1"));
    EXPECT_EQ(port("In"), valueOf(ini, "MIDI.in", "Name0"));
    EXPECT_EQ("TTFF54534554", valueOf(ini, "MIDI.in", "Options0"));
}

TEST_F(MidiManagerIni, LoadingMarksPortsPendingAndPlaceholdersAreAdoptedByTheirPort)
{
    plug({"A"});
    manager->RefreshDevList(1, 0, 1);
    int outputs = manager->GetDevCount(0);
    Tr::TIniFile ini("unused.ini");
    ini.WriteString("MIDI.out", "Name0", port("a").c_str());
    ini.WriteString("MIDI.out", "Options0", "FF54534554");
    ini.WriteString("MIDI.out", "Name1", port("Later").c_str());
    ini.WriteString("MIDI.out", "Options1", "FF54534554");
    ini.WriteString("MIDI.out", "Name2", "");
    ini.WriteString("MIDI.out", "Options2", "FF54534554");

    manager->loadFromIniFile(ini);
    EXPECT_EQ(outputs + 1, manager->GetDevCount(0));
    EXPECT_TRUE(slot("A").IsPending());
    Tr::MidiManagerDev& later = slot("Later");
    EXPECT_TRUE(later.IsPending());
    EXPECT_FALSE(later.Exists());
    EXPECT_EQ(unsigned(TestFactory::kType), later.GetType());

    plug({"A", "Later"});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ(&later, &slot("Later"));
    EXPECT_TRUE(later.IsOpen());
    EXPECT_TRUE(slot("A").IsOpen());
}

TEST_F(MidiManagerIni, NothingIsReadOrWrittenWithoutPersistence)
{
    plug({"A"});
    manager->RefreshDevList(1, 0, 1);
    open("A");
    Tr::TIniFile ini("unused.ini");
    ini.WriteString("MIDI.in", "Name0", port("B").c_str());
    manager->SetPersistent(0);
    manager->saveToIniFile(ini);
    manager->loadFromIniFile(ini);
    manager->SetPersistent(1);
    EXPECT_FALSE(ini.SectionExists("MIDI.out"));
    EXPECT_EQ(-1, index("B", 1));
}
