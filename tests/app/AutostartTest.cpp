#include "app/Autostart.h"
#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using FileTest::TempFolder;

class Autostart : public ::testing::Test
{
protected:
    std::string folder() const { return temp / "autostart"; }

    TempFolder temp;
    FileTest::ScopedEnv config { "XDG_CONFIG_HOME", temp.path().c_str() };
};

TEST_F(Autostart, AProgramIsAddedOnceAndRemovingItTwiceSucceeds)
{
    Tr::BString const program = "/opt/My Tools/run me";
    EXPECT_EQ(0, Tr::IsProgramInAutostart("", program));
    EXPECT_EQ(1, Tr::AddProgramToAutostart("Run", program, "--unused", 0));
    EXPECT_EQ(1, Tr::AddProgramToAutostart("Run", program, "", 0));
    EXPECT_EQ(1u, FileTest::entryCount(folder()));
    EXPECT_EQ(1, Tr::IsProgramInAutostart("", program));

    EXPECT_EQ(1, Tr::RemoveProgramFromAutostart("", program));
    EXPECT_EQ(0, Tr::IsProgramInAutostart("", program));
    EXPECT_EQ(1, Tr::RemoveProgramFromAutostart("", program));
    EXPECT_EQ(0u, FileTest::entryCount(folder()));
}

TEST_F(Autostart, ABundleIsStartedThroughItsExecutable)
{
    std::string bundle = temp / "Dravik MIDI T.app";
    ASSERT_EQ(0, mkdir(bundle.c_str(), 0755));
    EXPECT_EQ(1, Tr::AddProgramToAutostart("", bundle.c_str(), "", 0));
    EXPECT_EQ(1, Tr::IsProgramInAutostart("", (bundle + "/").c_str()));
    std::string entry = FileTest::readFile(folder() + "/Dravik-MIDI-T.desktop");
    EXPECT_NE(std::string::npos, entry.find("Exec=\"" + bundle + "/Contents/MacOS/Dravik MIDI T\"\n")) << entry;
    EXPECT_NE(std::string::npos, entry.find("Name=Dravik MIDI T\n")) << entry;
}

TEST_F(Autostart, AHiddenEntryCountsAsAbsent)
{
    ASSERT_EQ(0, mkdir(folder().c_str(), 0700));
    FileTest::writeFile(folder() + "/run.desktop", "[Desktop Entry]\nType=Application\nExec=/opt/run\nHidden=true\n");
    EXPECT_EQ(0, Tr::IsProgramInAutostart("", "/opt/run"));
    EXPECT_EQ(1, Tr::AddProgramToAutostart("", "/opt/run", "", 0));
    EXPECT_EQ(1, Tr::IsProgramInAutostart("", "/opt/run"));
    EXPECT_EQ(1u, FileTest::entryCount(folder()));
}

TEST_F(Autostart, AFolderThatCannotBeMadeFailsTheAddition)
{
    FileTest::writeFile(folder(), "");
    EXPECT_EQ(0, Tr::AddProgramToAutostart("", "/opt/run", "", 0));
    EXPECT_EQ(1, Tr::RemoveProgramFromAutostart("", "/opt/run"));
}

TEST(AutostartFinder, FindsNothingWithoutAUrlOrAList)
{
    LSSharedFileListRef list = LSSharedFileListCreate(kCFAllocatorDefault, kLSSharedFileListSessionLoginItems, nullptr);
    EXPECT_EQ(nullptr, Tr::OSX_findAutostartItem(nullptr, list));
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault,
                                                           reinterpret_cast<unsigned char const*>("/x"), 2, false);
    EXPECT_EQ(nullptr, Tr::OSX_findAutostartItem(url, nullptr));
    CFRelease(url);
    CFRelease(list);
}

} // namespace
