#include "foundation/ExecuteFile.h"
#include "foundation/FileUtils.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using FileTest::readFile;
using FileTest::ScopedEnv;
using FileTest::TempFolder;
using Tr::BString;

namespace {

// An opener that records how many arguments it got and the first one, then
// exits with the given status.
std::string writeOpener(TempFolder const& dir, int status)
{
    std::string script = dir / "opener";
    FileTest::writeFile(script, "#!/bin/sh\nprintf '%s\\n%s' \"$#\" \"$1\" > \"" + dir.path()
                                    + "/args\"\nexit " + std::to_string(status) + "\n");
    chmod(script.c_str(), 0755);
    return script;
}

TEST(ExecuteFile, PathArrivesAsOneArgumentWithoutAShell)
{
    TempFolder dir;
    ScopedEnv opener("DRAVIK_OPENER", writeOpener(dir, 0).c_str());
    std::string path = "/Applications/My App's \"x\"; touch " + dir.path() + "/pwned $(touch " + dir.path()
                       + "/pwned2) 100%.app";
    EXPECT_TRUE(Tr::ExecuteFile(BString(path.c_str()), BString("-p"), BString("/")));
    EXPECT_EQ("1\n" + path, readFile(dir / "args"));
    EXPECT_FALSE(Tr::fileExists((dir / "pwned").c_str()));
    EXPECT_FALSE(Tr::fileExists((dir / "pwned2").c_str()));
}

TEST(ExecuteFile, LeadingDashIsNoOption)
{
    TempFolder dir;
    ScopedEnv opener("DRAVIK_OPENER", writeOpener(dir, 0).c_str());
    EXPECT_TRUE(Tr::ExecuteFile(BString("-rf"), BString(), BString()));
    EXPECT_EQ("1\n./-rf", readFile(dir / "args"));
}

TEST(ExecuteFile, FailingOrMissingOpenerIsFailure)
{
    TempFolder dir;
    ScopedEnv opener("DRAVIK_OPENER", writeOpener(dir, 3).c_str());
    EXPECT_FALSE(Tr::ExecuteFile(BString("/tmp/x"), BString(), BString()));
    opener.set((dir / "no-such-opener").c_str());
    EXPECT_FALSE(Tr::ExecuteFile(BString("/tmp/x"), BString(), BString()));
    EXPECT_FALSE(Tr::ExecuteFile(BString(), BString(), BString()));
}

// Waits up to ten seconds for a file that another process writes.
bool appears(std::string const& path)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Tr::fileExists(path.c_str())) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(ExecuteFile, ApplicationBundleIsStartedDirectly)
{
    TempFolder dir;
    ScopedEnv opener("DRAVIK_OPENER", writeOpener(dir, 3).c_str());
    std::string bundle = dir / "My App.app";
    ASSERT_TRUE(Tr::forceDirectories((bundle + "/Contents/MacOS").c_str()));
    std::string executable = bundle + "/Contents/MacOS/My App";
    FileTest::writeFile(executable, "#!/bin/sh\necho \"$#\" > \"" + dir.path() + "/tmp-started\"\nmv \"" + dir.path()
                                        + "/tmp-started\" \"" + dir.path() + "/started\"\n");
    chmod(executable.c_str(), 0755);
    EXPECT_TRUE(Tr::ExecuteFile(BString((bundle + "/").c_str()), BString(), BString()));
    ASSERT_TRUE(appears(dir / "started"));
    EXPECT_EQ("0\n", readFile(dir / "started"));

    chmod(executable.c_str(), 0644);
    EXPECT_FALSE(Tr::ExecuteFile(BString(bundle.c_str()), BString(), BString()));
    EXPECT_EQ("1\n" + bundle, readFile(dir / "args"));
}

} // namespace
