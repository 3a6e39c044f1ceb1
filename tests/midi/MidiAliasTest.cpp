#include "tests/midi/MidiAliasTestSupport.h"

#include "foundation/Exception.h"

using namespace miditest;

namespace {

std::string text(Tr::BString const& value)
{
    return value.c_str();
}

} // namespace

TEST(MidiAlias, DeviceValuesGiveTypeAndDeviceOnlyAfterATypeFromZeroToThree)
{
    struct {
        char const* value;
        Tr::TAliasType type;
        char const* device;
    } const cases[] = {
        {"2:Port A", Tr::AliasMidiOut, "Port A"},
        {"2:", Tr::AliasMidiOut, ""},
        {"1:Model : Port", Tr::AliasMidiIn, "Model : Port"},
        {"0:Gone", Tr::AliasNone, "Gone"},
        {"3:ttyS0", Tr::AliasSerial, "ttyS0"},
        {":Port A", Tr::AliasNone, ""},
        {"7:Port A", Tr::AliasNone, ""},
        {"-1:Port A", Tr::AliasNone, ""},
        {"x:Port A", Tr::AliasNone, ""},
        {"Port A", Tr::AliasNone, ""},
        {"", Tr::AliasNone, ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.value);
        Tr::TIniFile ini("unused.ini");
        ini.WriteString("MIDI.alias", "Device4", c.value);
        Tr::TMidiAlias alias("A", ini, 4);
        EXPECT_EQ(c.type, alias.GetType());
        EXPECT_EQ(c.device, text(alias.GetDeviceName()));
        EXPECT_EQ(-1, alias.GetMidiManagerDevIndex());
    }
}

TEST(MidiAlias, TypesHaveTheirDisplayTextsAndNamesWithQuotesAreIllegal)
{
    EXPECT_EQ("None", text(Tr::GetAliasTypeDisplayString(Tr::AliasNone)));
    EXPECT_EQ("MIDI IN", text(Tr::GetAliasTypeDisplayString(Tr::AliasMidiIn)));
    EXPECT_EQ("MIDI OUT", text(Tr::GetAliasTypeDisplayString(Tr::AliasMidiOut)));
    EXPECT_EQ("Serial Port", text(Tr::GetAliasTypeDisplayString(Tr::AliasSerial)));
    EXPECT_EQ("", text(Tr::GetAliasTypeDisplayString(Tr::TAliasType(4))));
    EXPECT_TRUE(Tr::IsLegalMidiAliasName("Synth, left"));
    EXPECT_FALSE(Tr::IsLegalMidiAliasName(""));
    EXPECT_FALSE(Tr::IsLegalMidiAliasName("the \"big\" one"));
}

using MidiAliasManager = AliasTest;

TEST_F(MidiAliasManager, LoadingStopsAtTheFirstMissingOrEmptyNameAndTellsOnce)
{
    Tr::TIniFile gap("unused.ini");
    for (int i : {0, 1, 3}) {
        gap.WriteString("MIDI.alias", "Name" + Tr::BString::fromInt(i), name("A" + std::to_string(i)));
        gap.WriteString("MIDI.alias", "Device" + Tr::BString::fromInt(i), "2:Port " + Tr::BString::fromInt(i));
    }
    int before = aliases->GetCount();
    aliases->loadFromIniFile(gap);
    EXPECT_EQ(before + 2, aliases->GetCount());
    EXPECT_EQ("Port 1", text(aliases->GetAliasByName(name("a1"), Tr::AliasMidiOut, 0)->GetDeviceName()));
    EXPECT_EQ(nullptr, aliases->GetAliasByName(name("A3"), Tr::AliasMidiOut, 0));
    EXPECT_EQ(1, events.count);

    Tr::TIniFile empty("unused.ini");
    empty.WriteString("MIDI.alias", "Name0", "");
    empty.WriteString("MIDI.alias", "Device0", "2:Port");
    aliases->loadFromIniFile(empty);
    aliases->loadFromIniFile(gap);
    EXPECT_EQ(before + 2, aliases->GetCount());
    EXPECT_EQ(3, events.count);
}

TEST_F(MidiAliasManager, AnEntryOfANameAlreadyThereTakesItsStoredCaseAndDevice)
{
    aliases->AddAlias(name("out"), "Old", Tr::AliasMidiOut);
    aliases->AddAlias(name("out"), "In Port", Tr::AliasMidiIn);
    int before = aliases->GetCount();
    Tr::TIniFile ini("unused.ini");
    ini.WriteString("MIDI.alias", "Name0", name("OUT"));
    ini.WriteString("MIDI.alias", "Device0", "2:New");
    ini.WriteString("MIDI.alias", "Name1", name("Out"));
    ini.WriteString("MIDI.alias", "Device1", "2:Newer");
    aliases->loadFromIniFile(ini);

    EXPECT_EQ(before, aliases->GetCount());
    Tr::TMidiAlias* out = aliases->GetAliasByName(name("out"), Tr::AliasMidiOut, 0);
    EXPECT_EQ(name("Out"), out->GetName());
    EXPECT_EQ("Newer", text(out->GetDeviceName()));
    EXPECT_EQ("In Port", text(aliases->GetAliasByName(name("out"), Tr::AliasMidiIn, 0)->GetDeviceName()));
}

TEST_F(MidiAliasManager, SavingRenumbersTheAliasesInUseAndDeletesStaleKeys)
{
    aliases->RemoveAll();
    aliases->AddAlias(name("First"), "Port 1", Tr::AliasMidiOut);
    int second = aliases->AddAlias(name("Second"), "Port 2", Tr::AliasMidiOut);
    aliases->AddAlias(name("Third, with comma"), "Model : Port", Tr::AliasMidiIn);
    aliases->AddAlias(name("Absent device"), name("absent device"), Tr::AliasMidiOut);
    ASSERT_TRUE(aliases->RemoveAlias(second));
    Tr::TIniFile ini("unused.ini");
    for (char const* key : {"Name2", "Device2", "Name3", "Device3", "Other"})
        ini.WriteString("MIDI.alias", key, "old");

    aliases->saveToIniFile(ini);
    Tr::TStringList keys;
    ini.ReadSectionKeys("MIDI.alias", keys);
    std::vector<std::string> names;
    for (int i = 0; i < keys.GetCount(); ++i)
        names.push_back(text(keys.GetString(i)));
    EXPECT_EQ((std::vector<std::string>{"Other", "Name0", "Device0", "Name1", "Device1"}), names);
    EXPECT_EQ(name("First"), ini.ReadString("MIDI.alias", "Name0", ""));
    EXPECT_EQ("2:Port 1", text(ini.ReadString("MIDI.alias", "Device0", "")));
    Tr::TMidiAlias reloaded(ini.ReadString("MIDI.alias", "Name1", ""), ini, 1);
    EXPECT_TRUE(reloaded.SameAs(name("third, WITH comma"), Tr::AliasMidiIn));
    EXPECT_EQ("Model : Port", text(reloaded.GetDeviceName()));
}

TEST_F(MidiAliasManager, ABatchTellsOnceAtItsOutermostEndAndOnlyWhenSomethingChanged)
{
    aliases->AddAlias(name("A"), "", Tr::AliasMidiOut);
    events.count = 0;
    EXPECT_FALSE(aliases->ModifyAlias(name("A"), Tr::AliasMidiOut, name("A"), "", false));
    EXPECT_FALSE(aliases->ModifyAlias(name("Missing"), Tr::AliasMidiOut, name("Missing"), "X", false));
    EXPECT_EQ(0, events.count);

    aliases->BeginUpdate();
    aliases->BeginUpdate();
    EXPECT_TRUE(aliases->ModifyAlias(name("A"), Tr::AliasMidiOut, name("A"), "Port 1", true));
    EXPECT_TRUE(aliases->ModifyAlias(name("A"), Tr::AliasMidiOut, name("A"), "Port 2", true));
    aliases->EndUpdate();
    EXPECT_TRUE(aliases->ModifyAlias(name("B"), Tr::AliasMidiOut, name("B"), "Port 3", true));
    EXPECT_EQ(0, events.count);
    aliases->EndUpdate();
    EXPECT_EQ(1, events.count);

    aliases->BeginUpdate();
    aliases->ModifyAlias(name("B"), Tr::AliasMidiOut, name("B"), "Port 3", true);
    aliases->EndUpdate();
    aliases->EndUpdate();
    EXPECT_EQ(1, events.count);
}

// The rescanning thread's changes are not held back by a batch that the message
// thread has open (a box's question may be on screen meanwhile), and are told on
// the thread that made them.
TEST_F(MidiAliasManager, ABatchHoldsBackOnlyTheChangesOfItsOwnThread)
{
    std::thread::id toldOn;
    events.during = [&] { toldOn = std::this_thread::get_id(); };
    aliases->BeginUpdate();
    std::thread other([&] { aliases->AddAlias(name("Device"), name("Device"), Tr::AliasMidiOut); });
    std::thread::id otherId = other.get_id();
    other.join();
    EXPECT_EQ(1, events.count);
    EXPECT_EQ(otherId, toldOn);
    aliases->AddAlias(name("Mine"), "", Tr::AliasMidiOut);
    EXPECT_EQ(1, events.count);
    aliases->EndUpdate();
    EXPECT_EQ(2, events.count);
    EXPECT_EQ(std::this_thread::get_id(), toldOn);
}

TEST_F(MidiAliasManager, ModifyComparesExactlySoOnlyTheCaseOfANameCanChange)
{
    aliases->AddAlias(name("port a"), "Device", Tr::AliasMidiIn);
    events.count = 0;
    EXPECT_TRUE(aliases->ModifyAlias(name("PORT A"), Tr::AliasMidiIn, name("Port A"), "Device", false));
    EXPECT_EQ(name("Port A"), aliases->GetAliasByName(name("port a"), Tr::AliasMidiIn, 0)->GetName());
    EXPECT_EQ(1, events.count);
    EXPECT_EQ(-1, aliases->IndexOf(name("port a"), Tr::AliasMidiOut));

    int index = aliases->AddAlias(name("PORT A"), "DEVICE", Tr::AliasMidiIn);
    EXPECT_EQ(1, events.count) << "AddAlias compares device names ignoring case";
    EXPECT_EQ(index, aliases->AddAlias(name("Port A"), "Other", Tr::AliasMidiIn));
    EXPECT_EQ(2, events.count);
}

TEST_F(MidiAliasManager, ARemovedAliasKeepsItsPlaceAndAddress)
{
    int index = aliases->AddAlias(name("A"), "Port", Tr::AliasMidiOut);
    Tr::TMidiAlias* alias = aliases->GetAlias(index);
    int count = aliases->GetCount();
    int valid = aliases->GetCountOfValid();
    events.count = 0;

    EXPECT_TRUE(aliases->RemoveAlias(index));
    EXPECT_FALSE(aliases->RemoveAlias(index));
    EXPECT_FALSE(aliases->RemoveAlias(count));
    EXPECT_FALSE(aliases->RemoveAlias(-1));
    EXPECT_EQ(1, events.count);
    EXPECT_EQ(count, aliases->GetCount());
    EXPECT_EQ(valid - 1, aliases->GetCountOfValid());
    EXPECT_EQ(alias, aliases->GetAlias(index));
    EXPECT_EQ(Tr::AliasNone, alias->GetType());
    EXPECT_EQ(nullptr, aliases->GetAlias(count));

    Tr::TMidiAlias* again = aliases->GetAliasByName(name("A"), Tr::AliasMidiOut, 1);
    EXPECT_NE(alias, again);
    EXPECT_EQ(1, again->GetProjectUse());
    EXPECT_EQ(count + 1, aliases->GetCount());
}

TEST_F(MidiAliasManager, ExportedNamesImportAtAnyStartCreatingMissingAliases)
{
    Tr::TMidiAliasList list;
    EXPECT_EQ("MIDA0000", text(list.ExportToString(Tr::AliasMidiOut)));
    EXPECT_EQ(8, list.ImportFromString("MIDA0000", 0, Tr::AliasMidiOut));
    EXPECT_EQ(0, list.count);

    list.Add(aliases->GetAliasByName(name("One"), Tr::AliasMidiOut, 1));
    list.Add(aliases->GetAliasByName(name("In"), Tr::AliasMidiIn, 1));
    list.Add(aliases->GetAliasByName(name("Two, three"), Tr::AliasMidiOut, 1));
    list.Add(list.items[0]);
    ASSERT_EQ(3, list.count);
    Tr::BString exported = list.ExportToString(Tr::AliasMidiOut);
    EXPECT_EQ("MIDA0002" + Tr::EncodeStringForIniFile(name("One")) + Tr::EncodeStringForIniFile(name("Two, three")),
              exported);

    Tr::TMidiAliasList imported;
    Tr::BString stored = "xyz" + exported + "rest";
    EXPECT_EQ(exported.length(), imported.ImportFromString(stored, 3, Tr::AliasMidiOut));
    ASSERT_EQ(2, imported.count);
    EXPECT_EQ(list.items[0], imported.items[0]);
    EXPECT_EQ(list.items[2], imported.items[1]);

    int count = aliases->GetCount();
    imported.ImportFromString("MIDA0001" + Tr::EncodeStringForIniFile(name("New")), 0, Tr::AliasMidiIn);
    EXPECT_EQ(count + 1, aliases->GetCount());
    EXPECT_EQ(imported.items[0], aliases->GetAliasByName(name("New"), Tr::AliasMidiIn, 0));
}

TEST_F(MidiAliasManager, AMalformedImportKeepsTheNamesBeforeItAndABadStartReadsNothing)
{
    Tr::BString one = Tr::EncodeStringForIniFile(name("One"));
    Tr::TMidiAliasList list;
    EXPECT_THROW(list.ImportFromString("MIDA0002" + one + "00FFshort", 0, Tr::AliasMidiOut), Tr::Exception);
    ASSERT_EQ(1, list.count);
    EXPECT_EQ(name("One"), list.items[0]->GetName());
    EXPECT_THROW(list.ImportFromString("MIDA00", 0, Tr::AliasMidiOut), Tr::Exception);
    EXPECT_THROW(list.ImportFromString("MIDA 0 1", 0, Tr::AliasMidiOut), Tr::Exception);

    Tr::BString text = "MIDA0001" + one;
    for (int start : {-1, -100000, text.length() + 1, 1 << 30, 1, text.length()}) {
        SCOPED_TRACE(start);
        list.Add(aliases->GetAliasByName(name("One"), Tr::AliasMidiOut, 1));
        EXPECT_EQ(0, list.ImportFromString(text, start, Tr::AliasMidiOut));
        EXPECT_EQ(0, list.count);
    }
    EXPECT_EQ(0, list.ImportFromString("mida0001" + one, 0, Tr::AliasMidiOut));
}

TEST_F(MidiAliasManager, TheCommaStringQuotesNamesWithACommaAndLeavesOutRemovedAliases)
{
    Tr::TMidiAliasList list;
    list.Add(aliases->GetAlias(aliases->AddAlias("A", "", Tr::AliasMidiOut)));
    list.Add(aliases->GetAlias(aliases->AddAlias("B,C", "", Tr::AliasMidiOut)));
    int removed = aliases->AddAlias(name("Removed"), "", Tr::AliasMidiOut);
    list.Add(aliases->GetAlias(removed));
    aliases->RemoveAlias(removed);
    EXPECT_EQ("A, \"B,C\"", text(list.getCommaSeparatedString()));
    list.AssignFrom(&list);
    EXPECT_EQ(3, list.count) << "a list assigned from itself stays as it is";
}
