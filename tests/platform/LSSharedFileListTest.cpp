#include "platform/launchservices/AutostartEntry.h"
#include "platform/launchservices/LSSharedFileList.h"
#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using FileTest::ScopedEnv;
using FileTest::TempFolder;

TEST(AutostartEntry, EveryProgramPathSurvivesTheExecLine)
{
    for (char const* program : { "/usr/bin/plain", "/opt/My Tools/run me", "/q\"uote", "/dollar$x", "/back\\slash",
                                 "/per%cent", "/tab\there", "/semi;colon" })
        EXPECT_EQ(program, autostart::programOf(autostart::entryText("name", program))) << program;
    EXPECT_NE(std::string::npos,
              autostart::entryText("n", "/opt/My Tools/run").find("\nExec=\"/opt/My Tools/run\"\n"));
}

TEST(AutostartEntry, HiddenEntriesAndOtherGroupsStartNothing)
{
    struct Case
    {
        char const* text;
        char const* program;
    };
    Case const cases[] = {
        { "[Desktop Entry]\nExec=/bin/a --arg\nHidden=true\n", "" },
        { "[Desktop Entry]\nHidden=false\nExec=/bin/a --arg\n", "/bin/a" },
        { "[Other]\nExec=/bin/b\n[Desktop Entry]\nName=x\n", "" },
        { "# comment\n[Desktop Entry]\n  Exec = \"/bin/c d\" %u\n", "/bin/c d" },
        { "", "" },
    };
    for (Case const& c : cases)
        EXPECT_EQ(c.program, autostart::programOf(c.text)) << c.text;
}

TEST(AutostartEntry, FileNamesKeepOnlyPlainCharacters)
{
    EXPECT_EQ("Dravik-MIDI-T.desktop", autostart::fileNameFor("Dravik MIDI T"));
    EXPECT_EQ("a.b_c-d--.desktop", autostart::fileNameFor("a.b_c-d/\xc3"));
}

TEST(AutostartEntry, TheFolderComesFromXdgConfigHomeOrHome)
{
    ScopedEnv config("XDG_CONFIG_HOME");
    ScopedEnv home("HOME", "/home/someone");
    config.set("/cfg");
    EXPECT_EQ("/cfg/autostart", autostart::folder());
    for (char const* ignored : { "", "relative/cfg" }) {
        config.set(ignored);
        EXPECT_EQ("/home/someone/.config/autostart", autostart::folder()) << ignored;
    }
    config.unset();
    EXPECT_EQ("/home/someone/.config/autostart", autostart::folder());
}

// The login-item list over a fresh autostart folder.
class LoginItems : public ::testing::Test
{
protected:
    LSSharedFileListItemRef insert(char const* path, char const* name = nullptr)
    {
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            kCFAllocatorDefault, reinterpret_cast<unsigned char const*>(path), CFIndex(std::strlen(path)), false);
        CFStringRef display = name ? CFStringCreateWithCString(kCFAllocatorDefault, name, kCFStringEncodingUTF8)
                                   : nullptr;
        LSSharedFileListItemRef item =
            LSSharedFileListInsertItemURL(list, kLSSharedFileListItemBeforeFirst, display, url);
        CFRelease(url);
        CFRelease(display);
        return item;
    }
    std::vector<std::string> snapshotPaths()
    {
        std::vector<std::string> paths;
        CFArrayRef snapshot = LSSharedFileListCopySnapshot(list, nullptr);
        for (CFIndex i = 0; i < CFArrayGetCount(snapshot); ++i) {
            CFURLRef url = nullptr;
            auto item = static_cast<LSSharedFileListItemRef>(const_cast<void*>(CFArrayGetValueAtIndex(snapshot, i)));
            EXPECT_EQ(noErr, LSSharedFileListItemResolve(item, 3, &url));
            unsigned char path[512];
            EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, path, sizeof path));
            paths.push_back(reinterpret_cast<char const*>(path));
            CFRelease(url);
        }
        CFRelease(snapshot);
        return paths;
    }

    TempFolder temp;
    ScopedEnv config { "XDG_CONFIG_HOME", temp.path().c_str() };
    LSSharedFileListRef list = LSSharedFileListCreate(kCFAllocatorDefault, kLSSharedFileListSessionLoginItems, nullptr);

    void TearDown() override { CFRelease(list); }
};

TEST_F(LoginItems, ProgramsOfOneNameGetEntriesOfTheirOwn)
{
    LSSharedFileListItemRef first = insert("/opt/a/tool", "Tool");
    LSSharedFileListItemRef second = insert("/opt/b/tool", "Tool");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_TRUE(FileTest::readFile(temp / "autostart/Tool.desktop").find("Exec=/opt/a/tool") != std::string::npos);
    EXPECT_TRUE(FileTest::readFile(temp / "autostart/Tool-2.desktop").find("Exec=/opt/b/tool") != std::string::npos);
    EXPECT_EQ((std::vector<std::string> { "/opt/b/tool", "/opt/a/tool" }), snapshotPaths()) << "by file name";

    EXPECT_EQ(noErr, LSSharedFileListItemRemove(list, first));
    EXPECT_EQ(noErr, LSSharedFileListItemRemove(list, first)) << "an entry already gone";
    EXPECT_EQ(std::vector<std::string> { "/opt/b/tool" }, snapshotPaths());
    CFRelease(first);
    CFRelease(second);
}

TEST(LoginItemList, OnlyTheSessionLoginItemsExist)
{
    CFStringRef other = CFStringCreateWithCString(kCFAllocatorDefault, "com.apple.LSSharedFileList.RecentItems",
                                                  kCFStringEncodingUTF8);
    EXPECT_EQ(nullptr, LSSharedFileListCreate(kCFAllocatorDefault, other, nullptr));
    CFRelease(other);
}

} // namespace
