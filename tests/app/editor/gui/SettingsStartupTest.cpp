#include "tests/app/editor/gui/PanelTestSupport.h"

#include "foundation/Exception.h"
#include "foundation/TIniFile.h"
#include "tests/foundation/FileTestSupport.h"
#include "tests/foundation/WaitUntil.h"
#include "tests/support/FakeVolumes.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

Bytes programTwoStepped()
{
    Bytes image = defaultTemplate();
    image[37 + 1] = 1;
    image[37 + 34] = 5;
    return image;
}

} // namespace

class SettingsStartupTest : public PanelTest {
protected:
    void writeIni(std::initializer_list<std::tuple<char const*, char const*, juce::String>> entries)
    {
        Tr::TIniFile ini(Tr::StringFrom(iniFile().getFullPathName()));
        for (auto const& [section, key, value] : entries)
            ini.WriteString(section, key, Tr::StringFrom(value));
        ASSERT_TRUE(ini.WriteToFile());
    }

    juce::String readIni(char const* section, char const* key)
    {
        Tr::TIniFile ini(Tr::StringFrom(iniFile().getFullPathName()));
        ini.ReadFromFileNoException();
        return Tr::JuceStringFrom(ini.ReadString(section, key, "(missing)"));
    }
};

TEST_F(SettingsStartupTest, TheFirstStartShowsTheDefaultTemplateUnnamed)
{
    ASSERT_FALSE(iniFile().exists());
    startPanel();

    EXPECT_EQ(title(), "Dravik MIDI T - v2.0");
    EXPECT_EQ(storedImage(), defaultTemplate());
    EXPECT_EQ(programBox()->getText(), "Program 1");
    EXPECT_EQ(programTypeBox()->getText(), "Loop, No Portamento");
    EXPECT_EQ(loopRateBox()->getText(), "fast Loop Portamento");
    EXPECT_FALSE(panel->isModified());
    EXPECT_EQ(panel->getDocumentsDir(), Tr::StringFrom(homeFile("Documents/Dravik MIDI T").getFullPathName()));
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(SettingsStartupTest, TheLastFileReopensAfterARestart)
{
    startPanel();
    auto file = writeFile("last.syx", programTwoStepped());
    panel->load(file.getFullPathName());

    restartPanel();

    EXPECT_EQ(readIni("Current", "File"), file.getFullPathName());
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - last.syx");
    EXPECT_EQ(storedImage(), programTwoStepped());
    choose(programBox(), "Program 2");
    EXPECT_EQ(programTypeBox()->getText(), "Step, No Portamento");
}

TEST_F(SettingsStartupTest, ARememberedFileThatIsGoneKeepsItsNameOverTheTemplate)
{
    auto gone = homeFile("gone.syx");
    writeIni({ { "Current", "File", gone.getFullPathName() } });

    startPanel();

    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - gone.syx");
    EXPECT_EQ(storedImage(), defaultTemplate());
    EXPECT_EQ(panel->getCurrentFile(), gone.getFullPathName());
    EXPECT_TRUE(dialogs.empty());
    chosenFiles.push_back("");
    panel->save();
    EXPECT_EQ(fileRequests.back().initialFile, Tr::StringFrom(gone.getFullPathName()));
}

// A damaged file, a pipe (which would block the start for good) and a folder
// are all forgotten without a message.
TEST_F(SettingsStartupTest, ARememberedFileThatDoesNotLoadIsForgottenSilently)
{
    auto broken = writeFile("broken.syx", Bytes(10, 0));
    auto pipe = homeFile("pipe.syx");
    ASSERT_EQ(::mkfifo(pipe.getFullPathName().toRawUTF8(), 0644), 0);
    auto folder = homeFile("folder.syx");
    ASSERT_TRUE(folder.createDirectory());
    for (auto const& remembered : { broken, pipe, folder }) {
        SCOPED_TRACE(remembered.getFileName());
        writeIni({ { "Current", "File", remembered.getFullPathName() } });
        FileTest::PipeWatchdog watchdog(pipe.getFullPathName().toStdString());

        startPanel();

        EXPECT_TRUE(watchdog.finished());
        EXPECT_EQ(title(), "Dravik MIDI T - v2.0") << title().toStdString() << " " << panel->getCurrentFile().toStdString();
        EXPECT_EQ(panel->getCurrentFile(), "");
        EXPECT_EQ(storedImage(), defaultTemplate());
        EXPECT_TRUE(dialogs.empty());
        closeWindow();
        EXPECT_EQ(readIni("Current", "File"), "");
    }
}

// An ini file that is a pipe gives the defaults without blocking the start,
// and stays a pipe: it is not replaced at close.
TEST_F(SettingsStartupTest, AnIniFileThatIsAPipeIsIgnoredAndNotOverwritten)
{
    ASSERT_TRUE(iniFile().getParentDirectory().createDirectory());
    auto ini = iniFile().getFullPathName().toStdString();
    ASSERT_EQ(::mkfifo(ini.c_str(), 0644), 0);
    FileTest::PipeWatchdog watchdog(ini);

    startPanel();
    EXPECT_TRUE(watchdog.finished());
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0");
    EXPECT_EQ(storedImage(), defaultTemplate());
    closeWindow();

    struct stat info;
    ASSERT_EQ(::lstat(ini.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// A damaged ini file gives the defaults for what cannot be read, without a
// message, and closing writes it anew with what could be read. Every case keeps
// one good key up front. A huge file is read and written within a bound that
// only a hang or a cost growing faster than its size would break. A remembered
// path that is no UTF-8 made the title read past the end of its text. The
// counts of sections written include "MIDI.alias", which keeps the port box's
// choice (none here).
TEST_F(SettingsStartupTest, ADamagedIniFileGivesTheDefaultsAndIsWrittenAnew)
{
    std::string const kept = homeFile("kept").getFullPathName().toStdString();
    std::string const good = "[Current]\nDocumentsDir=" + kept + "\n";
    std::string binary;
    std::minstd_rand random(18);
    for (int i = 0; i < 65536; ++i)
        binary += (char) (random() & 0xFF);
    std::string huge = good + "[Huge]\n";
    for (int i = 0; huge.size() < 50000000; ++i)
        huge += "Name" + std::to_string(i) + "=USB MIDI Interface with a rather long name:Port " + std::to_string(i) + "\n";
    huge += "Line=" + std::string(50000000, 'x') + "\n";
    std::string sections = good;
    for (int i = 0; i < 10000; ++i)
        sections += "[Section " + std::to_string(i) + "]\nName0=Port " + std::to_string(i) + "\n";
    std::string replaced;
    for (int i = 0; i < 8; ++i)
        replaced += "\xEF\xBF\xBD";
    struct {
        char const* name;
        std::string text;
        char const* title;
        std::string file;
        int sectionsWritten;
    } const cases[] = {
        { "binary", good + binary, "Dravik MIDI T - v2.0", "", -1 },
        { "truncated inside a quoted value", good + "File=\"/home/u/Settings/live", "Dravik MIDI T - v2.0", "", 2 },
        { "100 MB", std::move(huge), "Dravik MIDI T - v2.0", "", 3 },
        { "10 000 sections", std::move(sections), "Dravik MIDI T - v2.0", "", 10002 },
        { "a file name that is no UTF-8", good + "File=/home/" + std::string(8, '\xFF') + "/x.syx\n",
          "Dravik MIDI T - v2.0 - x.syx", "/home/" + replaced + "/x.syx", 2 },
        { "a file name too long to name a file", good + "File=/home/" + std::string(PATH_MAX, 'x') + "\n",
          "Dravik MIDI T - v2.0", "", 2 },
    };
    ASSERT_TRUE(iniFile().getParentDirectory().createDirectory());
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        FileTest::writeFile(iniFile().getFullPathName().toStdString(), c.text);
        auto started = std::chrono::steady_clock::now();

        startPanel();
        EXPECT_TRUE(dialogs.empty());
        EXPECT_EQ(title(), c.title);
        EXPECT_EQ(storedImage(), defaultTemplate());
        EXPECT_EQ(panel->getDocumentsDir(), Tr::BString(kept.c_str()));
        closeWindow();

        EXPECT_LT(TrTest::millisSince(started), 60000);
        Tr::TIniFile written(Tr::StringFrom(iniFile().getFullPathName()));
        ASSERT_TRUE(written.ReadFromFileNoException());
        EXPECT_EQ(written.ReadString("Current", "DocumentsDir", ""), Tr::BString(kept.c_str()));
        EXPECT_EQ(written.ReadString("Current", "File", "(missing)"), Tr::BString(c.file.c_str()));
        if (c.sectionsWritten >= 0) {
            EXPECT_EQ((int) written.GetSections().size(), c.sectionsWritten);
            EXPECT_EQ(written.ReadString("MIDI.alias", "Device0", ""), Tr::BString("2:"));
        }
    }
}

TEST_F(SettingsStartupTest, TheDocumentsFolderComesFromTheIniFile)
{
    auto documents = homeFile("my settings");
    ASSERT_TRUE(documents.createDirectory());
    writeIni({ { "Current", "DocumentsDir", documents.getFullPathName() } });

    startPanel();
    chosenFiles.push_back("");
    panel->load();

    EXPECT_EQ(fileRequests.back().initialFile, Tr::StringFrom(documents.getFullPathName()));
    closeWindow();
    EXPECT_EQ(readIni("Current", "DocumentsDir"), documents.getFullPathName());

    // One too long to name a folder leaves the editor's own.
    writeIni({ { "Current", "DocumentsDir", "/" + juce::String::repeatedString("a/", PATH_MAX / 2) } });
    startPanel();
    EXPECT_EQ(panel->getDocumentsDir(), Tr::StringFrom(homeFile("Documents/Dravik MIDI T").getFullPathName()));
}

TEST_F(SettingsStartupTest, ClosingKeepsTheIniEntriesOfOtherWriters)
{
    writeIni({ { "MIDI.out", "Device0", "Port A" }, { "Current", "Unused", "kept" } });

    startPanel();
    closeWindow();

    EXPECT_EQ(readIni("MIDI.out", "Device0"), "Port A");
    EXPECT_EQ(readIni("Current", "Unused"), "kept");
    EXPECT_EQ(readIni("Current", "File"), "");
    EXPECT_EQ(readIni("Current", "DocumentsDir"), homeFile("Documents/Dravik MIDI T").getFullPathName());
    EXPECT_NE(readIni("Current", "MainLeft"), "(missing)");
}

TEST_F(SettingsStartupTest, AMissingResourceIsReported)
{
    startPanel();
    try {
        panel->loadFromResource("nothing.syx");
        FAIL() << "no exception";
    } catch (Tr::Exception const& e) {
        EXPECT_STREQ(e.what(), "Error loading resource: nothing.syx");
    }
    EXPECT_EQ(storedImage(), defaultTemplate());
}

// Ends the death test's child at once with the result: a quit once posted
// would stop the message loop of every later test.
[[noreturn]] static void finish(bool passed)
{
    std::fflush(nullptr);
    std::_Exit(passed ? 0 : 1);
}

TEST_F(SettingsStartupTest, AnInstalledCopyToRestartLeavesTheIniFileAlone)
{
    auto restartFromTheCopy = [this] {
        writeIni({ { "Current", "File", "/somewhere/else.syx" }, { "Current", "MainLeft", "-7" } });
        auto before = readFile(iniFile());
        FakeVolumes volumes;
        auto program = juce::File::getSpecialLocation(juce::File::currentExecutableFile);
        volumes.mount(program.getParentDirectory().getFullPathName().toStdString(), "ext4", "/dev/loop3");
        volumes.loopDevice("loop3", "/images/tests.img");
        FileTest::ScopedEnv applications("DRAVIK_APPLICATIONS_DIR", volumes.folder("Applications").c_str());
        // Install, Restart, and the error of a copy that is no bundle.
        answers = { JuceUtils::Ok, JuceUtils::Ok, JuceUtils::Ok };
        window = std::make_unique<PanelWindow>();
        window->init("", false, false);
        bool quit = juce::MessageManager::getInstance()->hasStopMessageBeenSent();
        closeWindow();
        finish(quit && answers.empty() && readFile(iniFile()) == before);
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(restartFromTheCopy(), ::testing::ExitedWithCode(0), "");
}
