#include "foundation/ExecuteFile.h"
#include "foundation/FileUtils.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>

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

// Waits up to ten seconds (or the time given) for a file that another process writes.
bool appears(std::string const& path, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
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

// A bundle whose program writes, as "started": its path, its argument count,
// what "ended" held when it started, and whether descriptor 57 was open.
std::string makeRecordingBundle(TempFolder const& dir)
{
    std::string bundle = dir / "Copy.app";
    Tr::forceDirectories((bundle + "/Contents/MacOS").c_str());
    std::string executable = bundle + "/Contents/MacOS/Copy";
    FileTest::writeFile(executable, "#!/bin/sh\ncd '" + dir.path() + "'\n"
                                    "fd=closed; [ -e /proc/$$/fd/57 ] && fd=inherited\n"
                                    "echo \"$0|$#|$(cat ended 2>/dev/null)|$fd\" > tmp-started\n"
                                    "mv tmp-started started\n");
    chmod(executable.c_str(), 0755);
    return executable;
}

TEST(ExecuteFile, ARestartWaitsForTheProcessToEnd)
{
    TempFolder dir;
    std::string executable = makeRecordingBundle(dir);
    int release[2];
    ASSERT_EQ(0, pipe(release));
    pid_t awaited = fork();
    if (awaited == 0) {
        close(release[1]);
        char c;
        while (read(release[0], &c, 1) > 0) {
        }
        int out = open((dir / "ended").c_str(), O_WRONLY | O_CREAT, 0644);
        _exit(write(out, "ended", 5) == 5 ? 0 : 1);
    }
    close(release[0]);
    int held = open(dir.path().c_str(), O_RDONLY);
    ASSERT_EQ(57, dup2(held, 57));

    EXPECT_TRUE(Tr::ExecuteFileAfterExit(BString((dir / "Copy.app").c_str()), awaited));
    close(57);
    close(held);
    EXPECT_FALSE(appears(dir / "started", std::chrono::milliseconds(300))) << "started before the process ended";
    close(release[1]);
    waitpid(awaited, nullptr, 0);
    ASSERT_TRUE(appears(dir / "started"));
    EXPECT_EQ(executable + "|0|ended|closed\n", readFile(dir / "started"));
}

TEST(ExecuteFile, ARestartAfterAnEndedProcessStartsAtOnce)
{
    TempFolder dir;
    std::string executable = makeRecordingBundle(dir);
    pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    waitpid(ended, nullptr, 0);
    EXPECT_TRUE(Tr::ExecuteFileAfterExit(BString((dir / "Copy.app").c_str()), ended));
    ASSERT_TRUE(appears(dir / "started"));
    EXPECT_EQ(executable + "|0||closed\n", readFile(dir / "started"));
}

TEST(ExecuteFile, ARestartNeedsABundle)
{
    TempFolder dir;
    std::string executable = makeRecordingBundle(dir);
    EXPECT_FALSE(Tr::ExecuteFileAfterExit(BString(executable.c_str()), getpid()));
    EXPECT_FALSE(Tr::ExecuteFileAfterExit(BString((dir / "Missing.app").c_str()), getpid()));
    chmod(executable.c_str(), 0644);
    EXPECT_FALSE(Tr::ExecuteFileAfterExit(BString((dir / "Copy.app").c_str()), getpid()));
}

} // namespace
