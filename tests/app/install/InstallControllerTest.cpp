#include "app/install/NSWorkspace_QZAdditions.h"
#include "app/install/Q7InstallController.h"
#include "platform/cocoa/NSPathUtilities.h"

#include "tests/app/DialogAnswers.h"
#include "tests/support/FakeVolumes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

using FileTest::ScopedEnv;

namespace {

char const* const bundleName = "Dravik MIDI T.app";

// A bundle as the build lays it out, with a link and an executable to keep.
std::string makeBundle(std::string const& folder, std::string const& marker = "new")
{
    std::string bundle = folder + "/" + bundleName;
    std::filesystem::create_directories(bundle + "/Contents/MacOS");
    std::filesystem::create_directories(bundle + "/Contents/Resources");
    std::string executable = bundle + "/Contents/MacOS/Dravik MIDI T";
    FileTest::writeFile(executable, "#!/bin/sh\n");
    chmod(executable.c_str(), 0755);
    FileTest::writeFile(bundle + "/Contents/Resources/" + marker, marker);
    symlink("Contents/MacOS/Dravik MIDI T", (bundle + "/start").c_str());
    return bundle;
}

// The offer for bundles of the test, with its boxes answered by the test and
// its folders of the test's own.
class InstallOffer : public ::testing::Test
{
protected:
    std::string appName() const { return Q7InstallController().getAppName(); }

    // A bundle on a volume mounted from the loop device "loop3" behind an image file.
    std::string bundleOnDiskImage()
    {
        std::string volume = volumes.folder("Dravik MIDI T 2.0");
        volumes.mount(volume, "hfsplus", "/dev/loop3");
        volumes.loopDevice("loop3", "/home/u/Dravik MIDI T.dmg");
        return makeBundle(volume);
    }

    void expectBox(size_t index, juce::String const& title, juce::String const& message,
                   juce::StringArray const& buttons)
    {
        ASSERT_LT(index, boxes.shown.size());
        EXPECT_EQ(title, boxes.shown[index].title);
        EXPECT_EQ(message, boxes.shown[index].message);
        EXPECT_EQ(buttons, boxes.shown[index].buttons);
        EXPECT_FALSE(boxes.shown[index].yesNoCancel);
    }

    FakeVolumes volumes;
    std::string applications = volumes.folder("Applications");
    std::string home = volumes.folder("home");
    ScopedEnv applicationsEnv { "DRAVIK_APPLICATIONS_DIR", applications.c_str() };
    ScopedEnv homeEnv { "HOME", home.c_str() };
    DialogAnswers boxes;
};

TEST_F(InstallOffer, OnlyABundleOnADiskImageIsOffered)
{
    struct Case
    {
        char const* name;
        char const* volumeName;
        std::function<void(FakeVolumes&, std::string const& volume)> setUp;
        bool offered;
    };
    auto loopMount = [](char const* type, char const* device, std::string const& image, char const* partition) {
        return [=](FakeVolumes& v, std::string const& volume) {
            v.mount(volume, type, device);
            v.loopDevice("loop3", image, partition);
        };
    };
    std::string user = NSUserName();
    Case const cases[] = {
        { "a local disk", "vol",
          [](FakeVolumes& v, std::string const& volume) {
              v.mount(volume, "ext4", "/dev/sda1");
              v.attribute("block/sda/sda1/partition", "1\n");
          },
          false },
        { "tmpfs", "vol", [](FakeVolumes& v, std::string const& volume) { v.mount(volume, "tmpfs", "tmpfs"); }, false },
        { "a loop device without a backing file", "vol",
          [](FakeVolumes& v, std::string const& volume) {
              v.mount(volume, "ext4", "/dev/loop3");
              v.attribute("block/loop3/loop/offset", "0\n");
          },
          false },
        { "the user's encrypted home image", "vol",
          loopMount("hfsplus", "/dev/loop3", "/Users/." + user + "/" + user + ".sparseimage", ""), false },
        { "an unreadable mount table", "vol",
          [&](FakeVolumes& v, std::string const& volume) {
              loopMount("ext4", "/dev/loop3", "/images/a.img", "")(v, volume);
              setenv("DRAVIK_MOUNTINFO", (volume + "/no-such-table").c_str(), 1);
          },
          false },
        { "a loop mount", "vol", loopMount("ext4", "/dev/loop3", "/images/a.img", ""), true },
        { "a loop partition", "vol", loopMount("vfat", "/dev/loop3p2", "/images/a.img", "loop3p2"), true },
        { "a mount point with blanks", "My Disk Image", loopMount("ext4", "/dev/loop3", "/images/a b.img", ""),
          true },
    };
    for (Case const& c : cases) {
        FakeVolumes own;
        std::string volume = own.folder(c.volumeName);
        c.setUp(own, volume);
        boxes.shown.clear();
        if (c.offered)
            boxes.answers.push_back(JuceUtils::Cancel);
        EXPECT_EQ("", Q7InstallController(makeBundle(volume)).displayInstaller()) << c.name;
        EXPECT_EQ(c.offered ? 1u : 0u, boxes.shown.size()) << c.name;
        EXPECT_EQ(0u, FileTest::entryCount(applications)) << c.name;
    }
}

TEST_F(InstallOffer, AnOlderCopyIsReplacedByACompleteOne)
{
    makeBundle(applications, "old");
    boxes.answers = { JuceUtils::Ok, JuceUtils::Ok };
    std::string installed = Q7InstallController(bundleOnDiskImage()).displayInstaller();

    EXPECT_EQ(applications + "/" + bundleName, installed);
    EXPECT_FALSE(std::filesystem::exists(installed + "/Contents/Resources/old"));
    EXPECT_EQ("new", FileTest::readFile(installed + "/Contents/Resources/new"));
    struct stat executable;
    ASSERT_EQ(0, stat((installed + "/Contents/MacOS/Dravik MIDI T").c_str(), &executable));
    EXPECT_EQ(0755u, executable.st_mode & 07777);
    EXPECT_TRUE(std::filesystem::is_symlink(installed + "/start"));
    EXPECT_EQ(1u, FileTest::entryCount(applications)) << "a staging copy or the old one was left behind";
    juce::String name = juce::String::fromUTF8(appName().c_str());
    expectBox(0, name + " is currently running from a disk image",
              "Would you like to install " + name + " in your applications folder?", { "Install", "Cancel" });
    EXPECT_EQ(juce::MessageBoxIconType::QuestionIcon, boxes.shown[0].icon);
    expectBox(1, name + " installed successfully", name + " was installed in " + applications, { "Restart" });
    EXPECT_EQ(juce::MessageBoxIconType::InfoIcon, boxes.shown[1].icon);
}

TEST_F(InstallOffer, AFailedCopyKeepsTheOlderOne)
{
    makeBundle(applications, "old");
    std::string bundle = bundleOnDiskImage();
    ASSERT_EQ(0, mkfifo((bundle + "/Contents/Resources/pipe").c_str(), 0644));
    boxes.answers = { JuceUtils::Ok, JuceUtils::Ok };
    EXPECT_EQ("", Q7InstallController(bundle).displayInstaller());

    EXPECT_EQ("old", FileTest::readFile(applications + "/" + bundleName + "/Contents/Resources/old"));
    EXPECT_EQ(1u, FileTest::entryCount(applications));
    EXPECT_EQ(0u, FileTest::entryCount(home + "/Applications"));
    juce::String name = juce::String::fromUTF8(appName().c_str());
    expectBox(1, "Could not install " + name, "An error occurred when installing", { "Quit" });
}

TEST_F(InstallOffer, AnUnusableApplicationsFolderFallsBackToTheUsersOwn)
{
    FileTest::writeFile(applications + "/a file", "");
    ScopedEnv blocked("DRAVIK_APPLICATIONS_DIR", (applications + "/a file/Applications").c_str());
    std::string oddHome = volumes.folder("50%% off %@ %s%n");
    ScopedEnv homeWithPercent("HOME", oddHome.c_str());
    boxes.answers = { JuceUtils::Ok, JuceUtils::Ok };
    std::string installed = Q7InstallController(bundleOnDiskImage()).displayInstaller();

    EXPECT_EQ(oddHome + "/Applications/" + bundleName, installed);
    EXPECT_TRUE(std::filesystem::exists(installed + "/Contents/MacOS/Dravik MIDI T"));
    juce::String name = juce::String::fromUTF8(appName().c_str());
    expectBox(1, name + " installed successfully",
              name + " was installed in " + juce::String::fromUTF8(oddHome.c_str()) + "/Applications", { "Restart" });
}

// Runs a program with its arguments, quietly; true when it exited with 0.
bool run(std::vector<std::string> arguments)
{
    pid_t child = fork();
    if (child == 0) {
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(&argument[0]);
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A small ext4 image holding a bundle, mounted read-only from a loop device.
class RealLoopMount
{
public:
    RealLoopMount()
    {
        if (geteuid() != 0 || access("/dev/loop-control", F_OK) != 0) {
            reason = "needs root and loop devices";
            return;
        }
        makeBundle(dir.path() + "/content");
        mkdir(mountPoint.c_str(), 0755);
        if (!run({ "mkfs.ext4", "-q", "-d", dir / "content", image, "4M" })) {
            reason = "mkfs.ext4 could not make the image";
            return;
        }
        if (!run({ "mount", "-o", "loop,ro", image, mountPoint }))
            reason = "the image could not be mounted here";
    }
    ~RealLoopMount()
    {
        if (reason.empty())
            run({ "umount", mountPoint });
    }

    FileTest::TempFolder dir;
    std::string image = dir / "Dravik MIDI T.img";
    std::string mountPoint = dir / "mounted";
    std::string reason;
};

TEST_F(InstallOffer, ARealLoopMountIsOffered)
{
    RealLoopMount mount;
    if (!mount.reason.empty())
        GTEST_SKIP() << "no real loop mount: " << mount.reason;
    ScopedEnv realTable("DRAVIK_MOUNTINFO");
    realTable.unset();
    ScopedEnv realSysfs("DRAVIK_SYSFS");
    realSysfs.unset();

    std::string bundle = mount.mountPoint + "/" + bundleName;
    std::optional<VolumeProperties> properties = NSWorkspace_QZAdditions::propertiesForPath(bundle);
    ASSERT_TRUE(properties);
    EXPECT_EQ(mount.image, (*properties)[NSWorkspace_QZimagefilepath]);
    EXPECT_EQ("ext4", (*properties)[NSWorkspace_QZfstypename]);
    EXPECT_EQ(mount.mountPoint, (*properties)[NSWorkspace_QZmntonname]);
    EXPECT_EQ(0u, (*properties)[NSWorkspace_QZmntfromname].find("/dev/loop"));

    boxes.answers = { JuceUtils::Ok, JuceUtils::Ok };
    std::string installed = Q7InstallController(bundle).displayInstaller();
    EXPECT_EQ(applications + "/" + bundleName, installed);
    EXPECT_TRUE(std::filesystem::is_symlink(installed + "/start"));
}

} // namespace
