#include "platform/cocoa/NSAlert.h"
#include "platform/cocoa/NSBundle.h"
#include "platform/cocoa/NSPathUtilities.h"
#include "platform/cocoa/NSString.h"

#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>


using FileTest::ScopedEnv;

namespace {

TEST(NSStringWithFormat, OnlyObjectConversionsTakeArguments)
{
    struct Case
    {
        char const* format;
        std::initializer_list<std::string> arguments;
        char const* text;
    };
    Case const cases[] = {
        { "%@ is running", { "Dravik" }, "Dravik is running" },
        { "%@ was installed in %@", { "A", "/Applications" }, "A was installed in /Applications" },
        { "%@", { "100%s %n %@ %%" }, "100%s %n %@ %%" },
        { "50%% %s %d %", { "unused" }, "50% %s %d %" },
        { "%@ and %@", { "one" }, "one and (null)" },
        { "", {}, "" },
    };
    for (Case const& c : cases)
        EXPECT_EQ(c.text, NSStringWithFormat(c.format, c.arguments)) << c.format;
}

TEST(NSPathUtilities, TildeAndLastComponent)
{
    ScopedEnv home("HOME", "/home/some one");
    EXPECT_EQ("/home/some one/Applications", NSStringByExpandingTildeInPath("~/Applications"));
    EXPECT_EQ("/home/some one", NSStringByExpandingTildeInPath("~"));
    EXPECT_EQ("~other/x", NSStringByExpandingTildeInPath("~other/x"));
    EXPECT_EQ("/a/~/b", NSStringByExpandingTildeInPath("/a/~/b"));

    struct Case
    {
        char const* path;
        char const* last;
    };
    for (Case const& c : { Case { "/Volumes/Disk/My App.app", "My App.app" }, Case { "/a/b.app//", "b.app" },
                           Case { "name", "name" }, Case { "/", "/" }, Case { "", "" } })
        EXPECT_EQ(c.last, NSStringLastPathComponent(c.path)) << c.path;
}

TEST(NSBundle, TheBundleHoldsTheExecutableInContentsMacOS)
{
    struct Case
    {
        char const* executable;
        char const* bundle;
    };
    for (Case const& c : { Case { "/x/My App.app/Contents/MacOS/My App", "/x/My App.app" },
                           Case { "/x/build/tests/app_tests", "/x/build/tests/app_tests" },
                           Case { "/x/Contents/Other/prog", "/x/Contents/Other/prog" } })
        EXPECT_EQ(c.bundle, NSBundle::bundlePathOfExecutable(c.executable)) << c.executable;

    NSBundle& bundle = NSBundle::mainBundle();
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self);
    ASSERT_GT(length, 0);
    std::string executable(self, static_cast<size_t>(length));
    EXPECT_EQ(executable, bundle.bundlePath());
    EXPECT_EQ(executable.substr(executable.rfind('/') + 1), bundle.objectForInfoDictionaryKey("CFBundleExecutable"));
    EXPECT_FALSE(bundle.objectForInfoDictionaryKey("CFBundleName"));
    EXPECT_EQ("Install", bundle.localizedStringForKey("Install", "", nullptr));
}

// What reaches the presenter is checked with the install offer's boxes.
TEST(NSAlert, WithoutAPresenterNothingIsAgreedTo)
{
    NSAlertPresenter previous = NSAlertSetPresenter(nullptr);
    EXPECT_EQ(NSAlertAlternateReturn, NSRunAlertPanel("Title", "text", "Yes", "No", ""));
    EXPECT_EQ(NSAlertAlternateReturn, NSAlert::alertWithMessageText("Go?", "Yes", "No", "", "")->runModal());
    NSAlertSetPresenter(previous);
}

} // namespace
