// Crafted ini files of many entries, in a program of its own: the slots they make
// stay for the manager's life and would slow every later test of the process.

#include "foundation/TIniFile.h"
#include "midi/TMidiAliasManager.h"

#include "tests/midi/MidiManagerTestSupport.h"

#include <time.h>

using namespace miditest;

namespace {

// The processor time of the calling thread, on which the rescan and every
// listener run here; time that other programs take from it does not count.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

class MidiIniScale : public ManagerTest {
protected:
    // An ini file of that many entries of each section, of ports whose names begin
    // with the tag, read, rescanned and written back; the seconds that took.
    double readAndWriteBack(Tr::TIniFile& ini, int entries, std::string const& tag)
    {
        for (int i = 0; i < entries; ++i) {
            Tr::BString in = port(tag + "In" + std::to_string(i)).c_str();
            Tr::BString out = port(tag + "Out" + std::to_string(i)).c_str();
            ini.WriteString("MIDI.in", Tr::IniListKey("Name", i), in);
            ini.WriteString("MIDI.in", Tr::IniListKey("Options", i), "TTFF54534554");
            ini.WriteString("MIDI.out", Tr::IniListKey("Name", i), out);
            ini.WriteString("MIDI.out", Tr::IniListKey("Options", i), "FF54534554");
            ini.WriteString("MIDI.alias", Tr::IniListKey("Name", i), out);
            ini.WriteString("MIDI.alias", Tr::IniListKey("Device", i), "2:" + out);
        }
        Tr::TMidiAliasManager* aliases = Tr::TMidiAliasManager::instance();
        double start = threadSeconds();
        manager->loadFromIniFile(ini);
        aliases->loadFromIniFile(ini);
        manager->RefreshDevList(1, 0, 1);
        manager->saveToIniFile(ini);
        aliases->saveToIniFile(ini);
        return threadSeconds() - start;
    }
};

} // namespace

// Ini files may be crafted: reading and writing grow with the number of entries,
// not with its square (20 000 entries took 29 s and more so, and under 1 s now).
// Eight times the entries take about ten times the processor time, and 64 times and
// more when quadratic, in any build and on a busy machine alike. An input read from
// the file is written back once: it gets no device alias while its port is absent.
TEST_F(MidiIniScale, EntriesOfEachSectionAreReadAndWrittenBackOnceInTimeLinearInTheirNumber)
{
    int const entries = 20000;
    Tr::TIniFile eighth("unused.ini");
    Tr::TIniFile ini("unused.ini");
    double eighthSeconds = readAndWriteBack(eighth, entries / 8, "a");
    double seconds = readAndWriteBack(ini, entries, "b");
    EXPECT_LT(seconds, 32 * eighthSeconds) << eighthSeconds << " s for " << entries / 8 << " entries";

    // Entries of the section whose key value begins so.
    auto count = [&](char const* section, char const* key, std::string const& begin) {
        int found = 0;
        for (int i = 0; ini.ValueExists(section, Tr::IniListKey("Name", i)); ++i)
            found += std::string(ini.ReadString(section, Tr::IniListKey(key, i), "").c_str()).rfind(begin, 0) == 0;
        return found;
    };
    EXPECT_EQ(entries, count("MIDI.in", "Name", port("bIn")));
    EXPECT_EQ(entries, count("MIDI.out", "Name", port("bOut")));
    EXPECT_EQ(entries, count("MIDI.alias", "Device", "2:" + port("bOut")));
    EXPECT_EQ(0, count("MIDI.alias", "Device", "1:" + port("bIn")));
}
