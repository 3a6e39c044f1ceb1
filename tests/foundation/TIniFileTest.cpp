#include "foundation/TIniFile.h"

#include "foundation/Exception.h"

#include "FileTestSupport.h"
#include "StringListTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

using FileTest::readFile;
using FileTest::TempFolder;
using FileTest::writeFile;
using StringListTest::Lines;
using StringListTest::linesOf;
using Tr::BString;
using Tr::TIniFile;
using Tr::TStringList;

namespace {

Lines sectionNames(TIniFile const& ini)
{
    Lines names;
    for (auto const& section : ini.GetSections())
        names.push_back(section.first.c_str());
    return names;
}

TIniFile parsed(char const* text)
{
    TIniFile ini(BString("/unused.ini"));
    ini.ParseStrings(TStringList(BString(text)));
    return ini;
}

std::string read(TIniFile const& ini, char const* section, char const* key)
{
    return ini.ReadString(BString(section), BString(key), BString("<default>")).c_str();
}

TEST(IniReading, HeadersAndLinesBeforeThem)
{
    TIniFile ini = parsed("lost=1\n[a]\nx=1\n[bc]\ny=2\n[] \n[ab]\n[ab] \n[cd]\n[ef]\n[cd]\nz=3\n;note\n");
    EXPECT_EQ(Lines({"ab", "bc", "cd"}), sectionNames(ini));
    EXPECT_EQ(Lines({"y=2", "[] "}), linesOf(ini.GetSection(BString("bc"))));
    EXPECT_EQ(Lines({"[ab] "}), linesOf(ini.GetSection(BString("ab"))));
    EXPECT_EQ(Lines({"z=3", ";note"}), linesOf(ini.GetSection(BString("cd"))));
    EXPECT_EQ("<default>", read(ini, "a", "x"));
}

TEST(IniReading, RepeatedHeaderContinuesTheSection)
{
    TIniFile ini = parsed("[Current]\nFile=a\n[Other]\nk=v\n[Current]\nFile=b\nMainTop=5\n");
    EXPECT_EQ("b", read(ini, "Current", "File"));
    EXPECT_EQ(Lines({"File=a", "File=b", "MainTop=5"}), linesOf(ini.GetSection(BString("Current"))));
}

TEST(IniReading, ByteOrderMarkHidesTheFirstHeader)
{
    TIniFile ini = parsed("\xEF\xBB\xBF[first]\nk=1\n[second]\nk=2\n");
    EXPECT_EQ(Lines({"second"}), sectionNames(ini));
}

TEST(IniReading, MissingFileReadsAsNoSections)
{
    TempFolder dir;
    TIniFile ini(BString((dir / "none.ini").c_str()));
    ini.WriteString(BString("s"), BString("k"), BString("v"));
    EXPECT_FALSE(ini.ReadFromFileNoException());
    EXPECT_TRUE(ini.GetSections().empty());
}

// A pipe in the ini file's place would block the start for good; it is read as
// no sections and never replaced by a file.
TEST(IniReading, APipeReadsAsNoSectionsWithoutWaitingAndStays)
{
    TempFolder dir;
    std::string path = dir / "settings.ini";
    ASSERT_EQ(0, mkfifo(path.c_str(), 0644));
    TIniFile ini(BString(path.c_str()));
    FileTest::PipeWatchdog watchdog(path);
    EXPECT_FALSE(ini.ReadFromFileNoException());
    EXPECT_TRUE(watchdog.finished());
    ini.WriteString(BString("Current"), BString("File"), BString("new"));
    EXPECT_FALSE(ini.WriteToFile());
    struct stat info;
    ASSERT_EQ(0, lstat(path.c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(IniWriting, ExactBytesSectionOrderAndFolders)
{
    TempFolder dir;
    std::string path = dir / "new/sub/test.ini";
    TIniFile ini(BString(path.c_str()));
    ini.ParseStrings(TStringList(BString("[sb]\nk=1\n\n[sa]\nz=2\n")));
    EXPECT_TRUE(ini.WriteToFile());
    EXPECT_EQ("[sa]\nz=2\n\n[sb]\nk=1\n\n", readFile(path));
}

TEST(IniWriting, RealisticSectionsRoundTrip)
{
    TempFolder dir;
    std::string path = dir / ".Dravikon/Dravik MIDI T.ini";
    TIniFile ini(BString(path.c_str()));
    ini.WriteString(BString("Current"), BString("File"), BString("/home/u/My Settings/live set.syx"));
    ini.WriteString(BString("Current"), BString("DocumentsDir"), BString("/home/u/My Settings"));
    ini.WriteInteger(BString("Current"), BString("MainLeft"), 120);
    ini.WriteInteger(BString("Current"), BString("MainTop"), -4);
    ini.WriteString(BString("MIDI.in"), BString("Name0"), BString("USB MIDI Interface:Port 1"));
    ini.WriteString(BString("MIDI.in"), BString("Options0"), BString("TTFF4944494D"));
    ini.WriteString(BString("MIDI.out"), BString("Name0"), BString("Dravik T: Dravik T MIDI 1 \"B\""));
    ini.WriteString(BString("MIDI.alias"), BString("Name0"), BString("MIDI Output Device"));
    ini.WriteString(BString("MIDI.alias"), BString("Device0"), BString("2:Dravik T: Dravik T MIDI 1 \"B\""));
    ASSERT_TRUE(ini.WriteToFile());
    EXPECT_EQ("[Current]\nFile=/home/u/My Settings/live set.syx\nDocumentsDir=/home/u/My Settings\n"
              "MainLeft=120\nMainTop=-4\n\n"
              "[MIDI.alias]\nName0=MIDI Output Device\nDevice0=2:Dravik T: Dravik T MIDI 1 \"B\"\n\n"
              "[MIDI.in]\nName0=USB MIDI Interface:Port 1\nOptions0=TTFF4944494D\n\n"
              "[MIDI.out]\nName0=Dravik T: Dravik T MIDI 1 \"B\"\n\n",
              readFile(path));

    TIniFile again(BString(path.c_str()));
    ASSERT_TRUE(again.ReadFromFileNoException());
    EXPECT_EQ(Lines({"Current", "MIDI.alias", "MIDI.in", "MIDI.out"}), sectionNames(again));
    EXPECT_EQ("/home/u/My Settings/live set.syx", read(again, "Current", "File"));
    EXPECT_EQ(-4, again.ReadInteger(BString("Current"), BString("MainTop"), 0));
    EXPECT_EQ("2:Dravik T: Dravik T MIDI 1 \"B\"", read(again, "MIDI.alias", "Device0"));
    std::string written = readFile(path);
    EXPECT_TRUE(again.WriteToFile());
    EXPECT_EQ(written, readFile(path));
}

TEST(IniWriting, ValueWithLineBreakRoundTrips)
{
    TempFolder dir;
    std::string path = dir / "x.ini";
    BString tricky("Port\n[Injected]\nevil=1\r\n  \"quoted\" ");
    TIniFile ini(BString(path.c_str()));
    ini.WriteString(BString("MIDI.out"), BString("Name0"), tricky);
    ASSERT_TRUE(ini.WriteToFile());
    TIniFile again(BString(path.c_str()));
    ASSERT_TRUE(again.ReadFromFileNoException());
    EXPECT_EQ(Lines({"MIDI.out"}), sectionNames(again));
    EXPECT_EQ(Lines({"Name0=\"Port\\n[Injected]\\nevil=1\\r\\n  \\\"quoted\\\" \"", ""}),
              linesOf(again.GetSection(BString("MIDI.out"))));
    EXPECT_STREQ(tricky.c_str(), again.ReadString(BString("MIDI.out"), BString("Name0"), BString()).c_str());
}

TEST(IniWriting, UnwritableFolderKeepsTheOldFile)
{
    TempFolder dir;
    std::string folder = dir / "locked";
    mkdir(folder.c_str(), 0755);
    std::string path = folder + "/settings.ini";
    writeFile(path, "[Current]\nFile=old\n\n");
    chmod(folder.c_str(), 0555);
    int result = FileTest::runUnprivileged([&] {
        TIniFile ini(BString(path.c_str()));
        ini.WriteString(BString("Current"), BString("File"), BString("new"));
        return ini.WriteToFile();
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ("[Current]\nFile=old\n\n", readFile(path));
    EXPECT_EQ(1u, FileTest::entryCount(folder));
}

// The ini file is replaced as a whole: a write that fails halfway leaves every
// old byte, and a reader of the old file keeps reading it.
TEST(IniWriting, AWriteThatFailsHalfwayKeepsTheOldFile)
{
    TempFolder dir;
    std::string path = dir / "settings.ini";
    std::string old = "[Current]\nFile=" + std::string(500, 'o') + "\n\n";
    writeFile(path, old);
    std::ifstream reader(path, std::ios::binary);
    TIniFile ini(BString(path.c_str()));
    ini.WriteString(BString("Current"), BString("File"), BString(std::string(8192, 'n').c_str()));
    {
        FileTest::ScopedFileSizeLimit limit(4096);
        EXPECT_FALSE(ini.WriteToFile());
    }
    EXPECT_EQ(old, readFile(path));
    EXPECT_EQ(1u, FileTest::entryCount(dir.path()));
    EXPECT_TRUE(ini.WriteToFile());
    std::string seen((std::istreambuf_iterator<char>(reader)), std::istreambuf_iterator<char>());
    EXPECT_EQ(old, seen);
}

// The panel's save of its keys at close, read from the file and written back,
// with version numbers in place of its values.
void saveVersion(std::string const& path, long version)
{
    TIniFile ini(BString(path.c_str()));
    ini.ReadFromFileNoException();
    ini.WriteString(BString("Current"), BString("File"), BString::format("/home/u/Settings/set %ld.syx", version));
    ini.WriteInteger(BString("Current"), BString("MainLeft"), static_cast<int>(version));
    ini.WriteInteger(BString("Current"), BString("MainTop"), static_cast<int>(-version));
    ini.WriteToFile();
}

// A save killed at any moment leaves the old file or the new one, whole, never
// a mix and never none; a temporary file that a kill leaves is removed by the
// next save into the folder, so that they do not pile up.
TEST(IniWriting, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile)
{
    TempFolder dir(FileTest::memoryFolder());
    TempFolder scratch(FileTest::memoryFolder());
    std::string path = dir / "settings.ini";
    std::string otherWriters = "[MIDI.alias]\n";
    for (int i = 0; i < 40; ++i)
        otherWriters += "Name" + std::to_string(i) + "=USB MIDI Interface " + std::to_string(i) + ":Port 1\n";
    writeFile(path, otherWriters);
    saveVersion(path, 0);
    std::string start = readFile(path);
    auto written = [&](long version) {
        writeFile(scratch / "ini", start);
        saveVersion(scratch / "ini", version);
        return readFile(scratch / "ini");
    };
    auto report = FileTest::killWhileSaving(200, path, [&](long version) { saveVersion(path, version); }, written);
    EXPECT_TRUE(report.allSaved);
    EXPECT_EQ(0, report.broken);
    EXPECT_EQ(0, report.piledUp);
    std::cout << "200 kills: " << report.summary() << "\n";
    saveVersion(path, 0);
    EXPECT_EQ(start, readFile(path));
    EXPECT_EQ(1u, FileTest::entryCount(dir.path()));
}

TEST(IniValues, TypedReadsAndWrites)
{
    TIniFile ini = parsed("[ss]\nyes=yes\nno=no\nt=True\none=1\nempty=\nnum=42\nbad=x\n");
    EXPECT_EQ(1, ini.ReadBool(BString("ss"), BString("yes"), 0));
    EXPECT_EQ(1, ini.ReadBool(BString("ss"), BString("t"), 0));
    EXPECT_EQ(1, ini.ReadBool(BString("ss"), BString("one"), 0));
    EXPECT_EQ(0, ini.ReadBool(BString("ss"), BString("no"), 1));
    EXPECT_EQ(7, ini.ReadBool(BString("ss"), BString("empty"), 7));
    EXPECT_EQ(7, ini.ReadBool(BString("ss"), BString("missing"), 7));
    EXPECT_EQ(42, ini.ReadInteger(BString("ss"), BString("num"), 0));
    EXPECT_EQ(9, ini.ReadInteger(BString("ss"), BString("bad"), 9));
    EXPECT_EQ(9, ini.ReadInteger(BString("none"), BString("num"), 9));
    EXPECT_EQ("", read(ini, "ss", "empty"));
    ini.WriteBool(BString("n"), BString("b"), 5);
    ini.WriteBool(BString("n"), BString("c"), 0);
    ini.WriteInteger(BString("n"), BString("i"), -2147483647 - 1);
    EXPECT_EQ(Lines({"b=1", "c=0", "i=-2147483648"}), linesOf(ini.GetSection(BString("n"))));
}

TEST(IniSections, ExistenceDeletionAndCopies)
{
    TIniFile ini = parsed("[ss]\n k = v \n;c\n\n[tt]\nx=1\n");
    EXPECT_TRUE(ini.ValueExists(BString("ss"), BString("k")));
    EXPECT_FALSE(ini.ValueExists(BString("none"), BString("k")));
    EXPECT_FALSE(ini.DeleteKey(BString("none"), BString("k")));
    EXPECT_FALSE(ini.DeleteKey(BString("ss"), BString("zz")));

    TStringList keys{BString("stale")};
    EXPECT_TRUE(ini.ReadSectionKeys(BString("ss"), keys));
    EXPECT_EQ(Lines({"k", ";c", ""}), linesOf(keys));
    TStringList entries;
    EXPECT_TRUE(ini.ReadSectionEntries(BString("ss"), entries));
    EXPECT_EQ(Lines({" k = v ", ";c", ""}), linesOf(entries));
    EXPECT_FALSE(ini.ReadSectionKeys(BString("none"), keys));
    EXPECT_EQ(0, keys.GetCount());
    EXPECT_FALSE(ini.ReadSectionEntries(BString("none"), entries));
    EXPECT_EQ(0, entries.GetCount());

    int found = -1;
    EXPECT_EQ(0, ini.GetSection(BString("none"), &found).GetCount());
    EXPECT_EQ(0, found);
    ini.GetSection(BString("tt"), &found);
    EXPECT_EQ(1, found);

    EXPECT_TRUE(ini.DeleteKey(BString("ss"), BString("k")));
    EXPECT_FALSE(ini.ValueExists(BString("ss"), BString("k")));
    EXPECT_TRUE(ini.SectionExists(BString("tt")));
    EXPECT_FALSE(ini.SectionExists(BString("TT")));
    EXPECT_TRUE(ini.EraseSection(BString("tt")));
    EXPECT_FALSE(ini.EraseSection(BString("tt")));
    EXPECT_EQ(Lines({"ss"}), sectionNames(ini));
}

TEST(IniSections, GetStringsLeavesOutOneSectionIgnoringCase)
{
    TIniFile ini = parsed("[MIDI.in]\nName0=a\n[Current]\nFile=f\n[MIDI.out]\nName0=b\n");
    TStringList out{BString("first")};
    ini.GetStrings(out, BString("MIDI.IN"));
    EXPECT_EQ(Lines({"first", "[Current]", "File=f", "[MIDI.out]", "Name0=b"}), linesOf(out));
    TStringList all;
    ini.GetStrings(all);
    EXPECT_EQ(6, all.GetCount());
}

TEST(IniEncoding, EncodesWithLengthPrefix)
{
    EXPECT_STREQ("0000", Tr::EncodeStringForIniFile(BString()).c_str());
    EXPECT_STREQ("0003abc", Tr::EncodeStringForIniFile(BString("abc")).c_str());
    std::string longText(70000, 'x');
    longText[65534] = 'L';
    std::string encoded = Tr::EncodeStringForIniFile(BString(longText.c_str())).c_str();
    EXPECT_EQ("FFFF" + longText.substr(0, 65535), encoded);
}

TEST(IniEncoding, DecodesOneStringAfterAnother)
{
    BString both = Tr::EncodeStringForIniFile(BString("abc")) + Tr::EncodeStringForIniFile(BString("")) +
                   Tr::EncodeStringForIniFile(BString("Port 1"));
    BString out;
    int position = 0;
    position += Tr::DecodeStringFromIniFile(both, position, out);
    EXPECT_STREQ("abc", out.c_str());
    EXPECT_EQ(7, position);
    position += Tr::DecodeStringFromIniFile(both, position, out);
    EXPECT_STREQ("", out.c_str());
    position += Tr::DecodeStringFromIniFile(both, position, out);
    EXPECT_STREQ("Port 1", out.c_str());
    EXPECT_EQ(both.length(), position);

    EXPECT_EQ(7, Tr::DecodeStringFromIniFile(BString("0003abcXYZ"), 0, out));
    EXPECT_STREQ("abc", out.c_str());
    EXPECT_EQ(14, Tr::DecodeStringFromIniFile(BString("000a0123456789"), 0, out));
    EXPECT_STREQ("0123456789", out.c_str());
}

TEST(IniEncoding, MalformedInputThrows)
{
    char const* bad[] = {"0005ab", "12", "", "zzzzab", " 003abc", "00-1abc", "0x03abc", "FFFFabc"};
    for (char const* text : bad) {
        BString out("kept");
        try {
            Tr::DecodeStringFromIniFile(BString(text), 0, out);
            ADD_FAILURE() << text;
        } catch (Tr::Exception const& e) {
            EXPECT_STREQ("illegal ini format", e.what()) << text;
        }
        EXPECT_STREQ("kept", out.c_str());
    }
    BString out;
    EXPECT_THROW(Tr::DecodeStringFromIniFile(BString("0001a"), -1, out), Tr::Exception);
    EXPECT_THROW(Tr::DecodeStringFromIniFile(BString("0001a"), 3, out), Tr::Exception);
}

} // namespace
