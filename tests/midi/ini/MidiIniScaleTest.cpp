// Crafted ini files of many entries, in a program of its own: the slots they make
// stay for the manager's life and would slow every later test of the process.

#include "foundation/TIniFile.h"
#include "midi/TMidiAliasManager.h"

#include "tests/foundation/WaitUntil.h"
#include "tests/midi/MidiManagerTestSupport.h"

#include <chrono>

using namespace miditest;

using MidiIniScale = ManagerTest;

// Ini files may be crafted: reading and writing grow with the number of entries,
// not with its square (which took minutes here). An input read from the file is
// written back once: it gets no device alias while its port is absent.
TEST_F(MidiIniScale, TwentyThousandEntriesOfEachSectionAreReadAndWrittenBackOnceEach)
{
    int const entries = 20000;
    Tr::TIniFile ini("unused.ini");
    for (int i = 0; i < entries; ++i) {
        Tr::BString in = port("In" + std::to_string(i)).c_str();
        Tr::BString out = port("Out" + std::to_string(i)).c_str();
        ini.WriteString("MIDI.in", Tr::IniListKey("Name", i), in);
        ini.WriteString("MIDI.in", Tr::IniListKey("Options", i), "TTFF54534554");
        ini.WriteString("MIDI.out", Tr::IniListKey("Name", i), out);
        ini.WriteString("MIDI.out", Tr::IniListKey("Options", i), "FF54534554");
        ini.WriteString("MIDI.alias", Tr::IniListKey("Name", i), out);
        ini.WriteString("MIDI.alias", Tr::IniListKey("Device", i), "2:" + out);
    }
    Tr::TMidiAliasManager* aliases = Tr::TMidiAliasManager::instance();
    auto start = std::chrono::steady_clock::now();
    manager->loadFromIniFile(ini);
    aliases->loadFromIniFile(ini);
    manager->RefreshDevList(1, 0, 1);
    manager->saveToIniFile(ini);
    aliases->saveToIniFile(ini);
    // About 1 s in a plain build and 8 s under the sanitizers; minutes when quadratic.
    EXPECT_LT(TrTest::millisSince(start), 40000);

    // Entries of the section whose key value begins so.
    auto count = [&](char const* section, char const* key, std::string const& begin) {
        int found = 0;
        for (int i = 0; ini.ValueExists(section, Tr::IniListKey("Name", i)); ++i)
            found += std::string(ini.ReadString(section, Tr::IniListKey(key, i), "").c_str()).rfind(begin, 0) == 0;
        return found;
    };
    EXPECT_EQ(entries, count("MIDI.in", "Name", port("In")));
    EXPECT_EQ(entries, count("MIDI.out", "Name", port("Out")));
    EXPECT_EQ(entries, count("MIDI.alias", "Device", "2:" + port("Out")));
    EXPECT_EQ(0, count("MIDI.alias", "Device", "1:" + port("In")));
}
