#include "tests/app/editor/gui/PanelTestSupport.h"

#include "foundation/TIniFile.h"
#include "tests/foundation/FileTestSupport.h"
#include "tests/support/DispatchLoop.h"

#include <gmock/gmock.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>

namespace {

char const* const question = "You have made changes to the settings.\nDo you want to save them?";

Bytes otherImage()
{
    Bytes image = defaultTemplate();
    image[2] = 3; // program 1: "Step Portamento"
    image[685] = 45;
    return image;
}

Tr::BString pathOf(juce::File const& file)
{
    return Tr::StringFrom(file.getFullPathName());
}

// What the action writes to stderr, read through a pipe: no file-size limit
// cuts it short, nor fills the disk it writes to.
std::string stderrOf(std::function<void()> const& action)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return "(no pipe)";
    std::fflush(stderr);
    int saved = ::dup(2);
    ::dup2(ends[1], 2);
    ::close(ends[1]);
    action();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::string said;
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, (size_t) got);
    ::close(ends[0]);
    return said;
}

} // namespace

class SettingsFilesTest : public PanelTest {
protected:
    // A started panel with an opened file and one unsaved change.
    void startModified()
    {
        startPanel();
        opened = writeFile("opened.syx", defaultTemplate());
        panel->load(opened.getFullPathName());
        makeChange();
        modifiedImage = storedImage();
    }

    void expectUnchangedModified()
    {
        EXPECT_TRUE(panel->isModified());
        EXPECT_EQ(storedImage(), modifiedImage);
        EXPECT_EQ(panel->getCurrentFile(), opened.getFullPathName());
        EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - opened.syx *");
    }

    // A file dialog for settings files: their filter and its description.
    static void expectSettingsFileRequest(Tr::FileDialogRequest const& request, char const* title,
                                          char const* prompt, int save)
    {
        EXPECT_EQ(request.title, title);
        EXPECT_EQ(request.prompt, prompt);
        EXPECT_EQ(request.filter, "*.syx");
        EXPECT_EQ(request.filterDescription, "Dravik Settings File");
        EXPECT_EQ(request.save, save);
    }

    juce::File opened;
    Bytes modifiedImage;
};

TEST_F(SettingsFilesTest, SaveAppendsTheExtensionToANameWithoutIt)
{
    startPanel();
    struct {
        char const* typed;
        char const* written;
    } const cases[] = {
        { "bank", "bank.syx" },
        { "bank.SYX", "bank.SYX.syx" },
        { "live.syx", "live.syx" },
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.typed);
        chosenFiles.push_back(pathOf(homeFile(c.typed)));
        EXPECT_TRUE(panel->save());
        EXPECT_EQ(readFile(homeFile(c.written)), defaultTemplate());
        EXPECT_EQ(panel->getCurrentFile(), homeFile(c.written).getFullPathName());
    }
    EXPECT_FALSE(homeFile("bank").exists());
    EXPECT_FALSE(homeFile("bank.SYX").exists());
}

TEST_F(SettingsFilesTest, SavingWritesExactlyTheStoredForm)
{
    Bytes image = defaultTemplate();
    image[2] = 5; // program 1 "Different Settings" with stray pedal positions
    for (size_t step = 0; step < 16; ++step) {
        image[3 + 2 * step] = (unsigned char) (step + 1);
        image[4 + 2 * step] = 32;
    }
    image[37 + 3] = 3; // program 2 takes its base setting from step 0
    for (size_t step = 1; step < 16; ++step)
        image[37 + 3 + 2 * step] = 7;
    startPanel();
    panel->load(writeFile("in.syx", image).getFullPathName());

    chosenFiles.push_back(pathOf(homeFile("out.syx")));
    ASSERT_TRUE(panel->save());

    Bytes expected = image;
    for (size_t step = 0; step < 16; ++step) {
        expected[3 + 2 * step] = 0;
        expected[37 + 3 + 2 * step] = 3;
    }
    EXPECT_EQ(readFile(homeFile("out.syx")), expected);
}

TEST_F(SettingsFilesTest, SaveAsksBeforeOverwritingTheFileWhoseNameGainedTheExtension)
{
    startModified();
    auto existing = writeFile("bank.syx", otherImage());

    chosenFiles.push_back(pathOf(homeFile("bank")));
    answers.push_back(JuceUtils::No);
    EXPECT_FALSE(panel->save());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(dialogs[0].message.contains("bank.syx"));
    EXPECT_EQ(readFile(existing), otherImage());
    expectUnchangedModified();

    chosenFiles.push_back(pathOf(homeFile("bank")));
    answers.push_back(JuceUtils::Yes);
    EXPECT_TRUE(panel->save());
    EXPECT_EQ(readFile(existing), modifiedImage);
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - bank.syx");
}

// A failed save says why in the system's words, keeps the document modified and
// leaves whatever was at the path as it was: also a write that fails halfway
// (at the file-size limit), which an in-place write would have cut already, and
// a file the user may write in a folder that became read-only, and a read-only
// file, which root too must not replace.
TEST_F(SettingsFilesTest, AFailedSaveSaysWhyAndKeepsTheOldFileAndTheModifiedDocument)
{
    startModified();
    auto pipe = homeFile("pipe.syx");
    ASSERT_EQ(::mkfifo(pipe.getFullPathName().toRawUTF8(), 0644), 0);
    auto existing = writeFile("existing.syx", otherImage());
    auto locked = writeFile("locked/live.syx", otherImage());
    ASSERT_EQ(::chmod(locked.getFullPathName().toRawUTF8(), 0666), 0);
    ASSERT_EQ(::chmod(locked.getParentDirectory().getFullPathName().toRawUTF8(), 0555), 0);
    auto readOnly = writeFile("read-only.syx", otherImage());
    ASSERT_EQ(::chmod(readOnly.getFullPathName().toRawUTF8(), 0444), 0);
    struct {
        juce::File target;
        char const* reason;
        rlim_t sizeLimit;
        bool asNobody;
    } const cases[] = {
        { homeFile("missing/folder/x.syx"), "No such file or directory", RLIM_INFINITY, false },
        { homeFile(juce::String::repeatedString("n", 252) + ".syx"), "File name too long", RLIM_INFINITY, false },
        { pipe, "not a regular file", RLIM_INFINITY, false },
        { existing, "File too large", 512, false },
        { locked, "Permission denied", RLIM_INFINITY, true },
        { readOnly, "Permission denied", RLIM_INFINITY, false },
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.reason);
        dialogs.clear();
        chosenFiles.push_back(pathOf(c.target));
        answers.push_back(JuceUtils::Ok);
        {
            FileTest::ScopedFileSizeLimit limit(c.sizeLimit);
            std::optional<FileTest::ScopedFileSystemUserNobody> nobody;
            if (c.asNobody)
                nobody.emplace();
            EXPECT_FALSE(panel->save());
        }
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].title, "Error");
        // The box shortens a long line in its middle, keeping its first 49 characters.
        EXPECT_TRUE(dialogs[0].message.startsWith(("Error saving file '" + home.getFullPathName()).substring(0, 49)));
        EXPECT_TRUE(dialogs[0].message.endsWith(".syx':\nfile write error: " + juce::String(c.reason)));
        expectUnchangedModified();
    }
    EXPECT_FALSE(homeFile("missing").exists());
    EXPECT_EQ(readFile(existing), otherImage());
    EXPECT_EQ(readFile(locked), otherImage());
    EXPECT_EQ(readFile(readOnly), otherImage());
    EXPECT_EQ(home.getNumberOfChildFiles(juce::File::findFilesAndDirectories, ".dravik-*"), 0);
    EXPECT_EQ(locked.getParentDirectory().getNumberOfChildFiles(juce::File::findFilesAndDirectories), 1);
    ::chmod(locked.getParentDirectory().getFullPathName().toRawUTF8(), 0755);
}

// On a full disk SAVE says so and keeps the document modified, and the ini
// file written at close stays as it was; neither leaves a temporary file. A
// small tmpfs fills up as the disk would; where none can be mounted, the
// file-size limit makes the same writes fail.
TEST_F(SettingsFilesTest, AFullDiskKeepsTheOldFilesAndTheModifiedDocument)
{
    auto disk = iniFile().getParentDirectory();
    ASSERT_TRUE(disk.createDirectory());
    FileTest::ScopedTmpfs tmpfs(disk.getFullPathName().toStdString(), "64k");
    auto live = writeFile(disk.getChildFile("live.syx").getRelativePathFrom(home), defaultTemplate());
    Tr::TIniFile ini(Tr::StringFrom(iniFile().getFullPathName()));
    ini.WriteString("Current", "File", pathOf(live));
    ASSERT_TRUE(ini.WriteToFile());
    auto oldIni = readFile(iniFile());
    startPanel();
    makeChange();
    int const filesOnDisk = tmpfs.mounted() ? 3 : 2;
    if (tmpfs.mounted())
        tmpfs.fill("filler");
    std::optional<FileTest::ScopedFileSizeLimit> limit;
    if (!tmpfs.mounted())
        limit.emplace(16);
    juce::String reason = tmpfs.mounted() ? "No space left on device" : "File too large";

    chosenFiles.push_back(pathOf(live));
    answers.push_back(JuceUtils::Ok);
    EXPECT_FALSE(panel->save());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].message, "Error saving file '" + live.getFullPathName() + "':\nfile write error: " + reason);
    EXPECT_TRUE(panel->isModified());
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - live.syx *");
    std::string said = stderrOf([this] { closeWindow(); });
    limit.reset();

    EXPECT_THAT(said, ::testing::HasSubstr("Error saving the settings to '" + iniFile().getFullPathName().toStdString()
                                           + "'\n"));
    EXPECT_EQ(readFile(live), defaultTemplate());
    EXPECT_EQ(readFile(iniFile()), oldIni);
    EXPECT_EQ(disk.getNumberOfChildFiles(juce::File::findFilesAndDirectories), filesOnDisk);
}

// SAVE killed at any moment leaves the old settings file or the new one, whole,
// never a mix and never none; a temporary file that a kill leaves is removed by
// the next save into the folder. The saves run in child processes of a
// document without a window, so that the kills do not touch this one's.
TEST_F(SettingsFilesTest, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile)
{
    FileTest::TempFolder dir(FileTest::memoryFolder());
    juce::String path(dir / "live.syx");
    DravikContentPanel document;
    document.loadFromMem(DravikDefaultTemplate, DravikDefaultTemplateSize);
    // Version v: every pedal position of every program is v % 128, so that the
    // versions differ all over the file.
    auto setVersion = [&](long version) {
        for (int program = 1; program <= DravikProgramCount; ++program)
            for (int step = 0; step < 16; ++step)
                document.applyStep(step, (int) (version % 128), program);
    };
    auto imageOf = [&](long version) {
        setVersion(version);
        std::string image(DravikDefaultTemplateSize, 0);
        document.saveToMem(reinterpret_cast<unsigned char*>(image.data()), DravikDefaultTemplateSize);
        return image;
    };
    document.save(path);
    auto report = FileTest::killWhileSaving(
        200, path.toStdString(),
        [&](long version) {
            setVersion(version);
            document.save(path);
        },
        imageOf);
    EXPECT_TRUE(report.allSaved);
    EXPECT_EQ(report.broken, 0);
    EXPECT_EQ(report.piledUp, 0);
    std::cout << "200 kills: " << report.summary() << "\n";
    document.save(path);
    EXPECT_EQ(FileTest::entryCount(dir.path()), 1u);
}

// Who has the old file open keeps reading the old bytes: the save writes a new
// file, and the longest name the folder takes is no problem for it.
TEST_F(SettingsFilesTest, SavingReplacesTheFileAsAWhole)
{
    startModified();
    // JUCE's own writer cannot make this file: its temporary name would be too long.
    auto longest = homeFile(juce::String::repeatedString("n", 251) + ".syx");
    Bytes old = otherImage();
    FileTest::writeFile(longest.getFullPathName().toStdString(), std::string(old.begin(), old.end()));
    std::ifstream reader(longest.getFullPathName().toStdString(), std::ios::binary);

    chosenFiles.push_back(pathOf(longest));
    EXPECT_TRUE(panel->save());

    Bytes seen((std::istreambuf_iterator<char>(reader)), std::istreambuf_iterator<char>());
    EXPECT_EQ(seen, otherImage());
    EXPECT_EQ(readFile(longest), modifiedImage);
    EXPECT_FALSE(panel->isModified());
}

// Opening a pipe for reading would wait for a writer for ever, and the window
// with it: it is refused with the load error, unread.
TEST_F(SettingsFilesTest, APipeIsRefusedWithTheLoadErrorWithoutWaiting)
{
    startModified();
    auto pipe = homeFile("pipe.syx");
    ASSERT_EQ(::mkfifo(pipe.getFullPathName().toRawUTF8(), 0644), 0);
    FileTest::PipeWatchdog watchdog(pipe.getFullPathName().toStdString());
    answers.push_back(JuceUtils::No);
    chosenFiles.push_back(pathOf(pipe));
    answers.push_back(JuceUtils::Ok);
    panel->load();
    answers.push_back(JuceUtils::No);
    answers.push_back(JuceUtils::Ok);
    panel->filesDropped({ pipe.getFullPathName() }, 0, 0);

    EXPECT_TRUE(watchdog.finished());
    juce::String expected = "Error loading file '" + pipe.getFullPathName()
                            + "':\nerror loading: not a regular file: " + pipe.getFullPathName();
    ASSERT_EQ(dialogs.size(), 4u);
    EXPECT_EQ(dialogs[1].message, expected);
    EXPECT_EQ(dialogs[3].message, expected);
    expectUnchangedModified();
}

TEST_F(SettingsFilesTest, InvalidFilesShowTheirErrorAndChangeNothing)
{
    auto marked = [](size_t index, int value) {
        Bytes image = defaultTemplate();
        image[index] = (unsigned char) value;
        return image;
    };
    struct {
        char const* name;
        Bytes bytes;
        char const* reason;
    } const cases[] = {
        { "empty.syx", {}, "wrong size" },
        { "one.syx", Bytes(1, 0xF0), "wrong size" },
        { "older.syx", Bytes(545, 0xF0), "wrong size" },
        { "short.syx", Bytes(689, 0), "wrong size" },
        { "long.syx", Bytes(691, 0), "wrong size" },
        { "old.syx", Bytes(546, 0xF0), "seems to be a Dravik MIDI 2 template" },
        { "frame.syx", marked(689, 0xF6), "MIDI markers missing" },
        { "marker.syx", marked(36 * 7 - 35, 8), "invalid program marker" },
        { "data.syx", marked(500, 0x80), "invalid data byte" },
    };
    startModified();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = writeFile(c.name, c.bytes);
        answers.push_back(JuceUtils::No);
        chosenFiles.push_back(pathOf(file));
        answers.push_back(JuceUtils::Ok);

        panel->load();

        EXPECT_EQ(dialogs.back().message, "Error loading file '" + file.getFullPathName()
                                              + "':\nNot a valid template file: " + c.reason);
        expectUnchangedModified();
    }
}

// A file that cannot be opened, for whatever cause, is reported with the
// reader's text, and the document stays as it was.
TEST_F(SettingsFilesTest, ADropThatCannotBeOpenedReportsTheReadersText)
{
    startModified();
    auto missing = homeFile("gone.syx");
    auto dangling = homeFile("dangling.syx");
    ASSERT_EQ(::symlink(missing.getFullPathName().toRawUTF8(), dangling.getFullPathName().toRawUTF8()), 0);
    auto unreadable = writeFile("unreadable.syx", otherImage());
    ASSERT_EQ(::chmod(unreadable.getFullPathName().toRawUTF8(), 0), 0);
    for (auto const& file : { missing, dangling, unreadable }) {
        SCOPED_TRACE(file.getFileName());
        answers.push_back(JuceUtils::No);
        answers.push_back(JuceUtils::Ok);
        {
            FileTest::ScopedFileSystemUserNobody nobody;
            panel->filesDropped({ file.getFullPathName() }, 10, 10);
        }
        EXPECT_EQ(dialogs.back().message, "Error loading file '" + file.getFullPathName()
                                              + "':\nerror loading: error opening file: : " + file.getFullPathName());
        expectUnchangedModified();
    }
}

// The reader takes a whole file into memory, and the file size helper gives only
// its low 32 bits: a huge file must be refused by its real size, unread.
TEST_F(SettingsFilesTest, AnOversizedDropIsRefusedByItsSizeBeforeReading)
{
    startModified();
    auto huge = homeFile("huge.syx");
    ASSERT_TRUE(huge.create());
    for (off_t size : { (off_t) 0x7FFFFFFF, (off_t) 0x80000000LL, (off_t) 0x100000000LL + 690 }) {
        SCOPED_TRACE(size);
        ASSERT_EQ(::truncate(huge.getFullPathName().toRawUTF8(), size), 0);
        answers.push_back(JuceUtils::No);
        answers.push_back(JuceUtils::Ok);

        panel->filesDropped({ huge.getFullPathName() }, 0, 0);

        EXPECT_EQ(dialogs.back().message, "Error loading file '" + huge.getFullPathName()
                                              + "':\nNot a valid template file: wrong size");
        expectUnchangedModified();
    }
}

TEST_F(SettingsFilesTest, ADroppedFolderIsRefusedWithoutTheQuestion)
{
    startModified();
    auto folder = homeFile("folder.syx");
    ASSERT_TRUE(folder.createDirectory());
    answers.push_back(JuceUtils::Ok);

    panel->filesDropped({ folder.getFullPathName() }, 0, 0);

    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].message, "Error: cannot load a folder.");
    EXPECT_EQ(dialogs[0].title, "Error");
    expectUnchangedModified();
}

TEST_F(SettingsFilesTest, DroppingSeveralFilesOpensTheFirst)
{
    startPanel();
    auto first = writeFile("first.syx", otherImage());
    auto second = writeFile("second.syx", defaultTemplate());
    EXPECT_TRUE(panel->isInterestedInFileDrag({ first.getFullPathName() }));

    panel->filesDropped({ first.getFullPathName(), second.getFullPathName(), home.getFullPathName() }, 0, 0);

    EXPECT_EQ(storedImage(), otherImage());
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - first.syx");
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(SettingsFilesTest, OpenAsksFirstAndGoesOnOnlyWhenTheChangesAreSafeOrDropped)
{
    enum Save { noSave, saved, saveCancelled, saveFailed };
    struct {
        char const* name;
        JuceUtils::DialogReturnCode answer;
        Save save;
        bool opens;
    } const cases[] = {
        { "cancel", JuceUtils::Cancel, noSave, false },
        { "no", JuceUtils::No, noSave, true },
        { "yes", JuceUtils::Yes, saved, true },
        { "yes, save dialog cancelled", JuceUtils::Yes, saveCancelled, false },
        { "yes, save failed", JuceUtils::Yes, saveFailed, false },
    };
    auto next = writeFile("next.syx", otherImage());
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        startModified();
        dialogs.clear();
        fileRequests.clear();
        answers.push_back(c.answer);
        if (c.save == saved)
            chosenFiles.push_back(pathOf(homeFile("kept.syx")));
        if (c.save == saveCancelled)
            chosenFiles.push_back("");
        if (c.save == saveFailed) {
            chosenFiles.push_back(pathOf(homeFile("no/such/folder.syx")));
            answers.push_back(JuceUtils::Ok);
        }
        if (c.opens)
            chosenFiles.push_back(pathOf(next));

        panel->load();

        EXPECT_EQ(dialogs[0].message, question);
        EXPECT_EQ(fileRequests.size(), (c.save != noSave ? 1u : 0u) + (c.opens ? 1u : 0u));
        if (c.opens) {
            EXPECT_EQ(fileRequests.back().title, "Open a Dravik MIDI T File");
            EXPECT_EQ(storedImage(), otherImage());
            EXPECT_FALSE(panel->isModified());
        } else {
            expectUnchangedModified();
        }
        if (c.save == saved) {
            EXPECT_EQ(readFile(homeFile("kept.syx")), modifiedImage);
        }
        closeWindow();
    }
}

TEST_F(SettingsFilesTest, QuittingAsksAndStaysWhenTheChangesWouldBeLost)
{
    struct {
        char const* name;
        JuceUtils::DialogReturnCode answer;
        char const* savePath; // null: no save dialog
        bool quits;
    } const cases[] = {
        { "cancel", JuceUtils::Cancel, nullptr, false },
        { "no", JuceUtils::No, nullptr, true },
        { "yes", JuceUtils::Yes, "quit.syx", true },
        { "yes, save dialog cancelled", JuceUtils::Yes, "", false },
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        startModified();
        answers.push_back(c.answer);
        if (c.savePath != nullptr)
            chosenFiles.push_back(*c.savePath ? pathOf(homeFile(c.savePath)) : Tr::BString());

        EXPECT_EQ(panel->canQuit(), c.quits);

        if (c.savePath != nullptr && *c.savePath) {
            EXPECT_EQ(readFile(homeFile(c.savePath)), modifiedImage);
        }
        if (!c.quits)
            expectUnchangedModified();
        closeWindow();
    }
}

// A close or quit request that comes while the question, or the save dialog it
// leads to, is on screen is refused without a word: it would ask again on top.
TEST_F(SettingsFilesTest, QuitRequestsWhileTheQuestionIsUpAreIgnored)
{
    for (bool asking : { false, true }) {
        SCOPED_TRACE(asking ? "OPEN asks" : "closing asks");
        startModified();
        dialogs.clear();
        std::vector<bool> laterRequests;
        int depth = 0;
        whileShown = [&] {
            if (depth++ == 0)
                laterRequests.push_back(panel->canQuit());
            --depth;
        };
        answers.push_back(JuceUtils::Yes);
        chosenFiles.push_back("");

        bool quits = false;
        if (asking)
            panel->load();
        else
            quits = panel->canQuit();
        whileShown = nullptr;

        EXPECT_FALSE(quits);
        EXPECT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(fileRequests.size(), 1u);
        EXPECT_EQ(laterRequests, std::vector<bool>({ false, false }));
        expectUnchangedModified();
        fileRequests.clear();
        closeWindow();
    }
}

TEST_F(SettingsFilesTest, AnUnmodifiedDocumentQuitsWithoutAQuestion)
{
    startPanel();
    EXPECT_TRUE(panel->canQuit());
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(SettingsFilesTest, OpenStartsAtTheCurrentFileElseTheDocumentsFolder)
{
    startPanel();
    auto documents = homeFile("Documents");
    chosenFiles.push_back("");
    panel->load();
    ASSERT_EQ(fileRequests.size(), 1u);
    expectSettingsFileRequest(fileRequests[0], "Open a Dravik MIDI T File", "Choose a file:", 0);
    EXPECT_EQ(fileRequests[0].initialFile, pathOf(documents)) << "the editor's folder does not exist yet";

    ASSERT_TRUE(documents.getChildFile("Dravik MIDI T").createDirectory());
    chosenFiles.push_back("");
    panel->load();
    EXPECT_EQ(fileRequests.back().initialFile, pathOf(documents.getChildFile("Dravik MIDI T")));

    auto file = writeFile("here.syx", defaultTemplate());
    chosenFiles.push_back(pathOf(file));
    chosenFiles.push_back("");
    panel->load();
    panel->load();
    EXPECT_EQ(fileRequests.back().initialFile, pathOf(file));
}

TEST_F(SettingsFilesTest, SaveStartsInTheEditorsDocumentsFolderAndCreatesIt)
{
    startPanel();
    auto folder = homeFile("Documents/Dravik MIDI T");
    chosenFiles.push_back("");

    EXPECT_FALSE(panel->save());

    ASSERT_EQ(fileRequests.size(), 1u);
    expectSettingsFileRequest(fileRequests[0], "Save a Dravik MIDI T File",
                              "Select a file to overwrite, or type in a new file name:", 1);
    EXPECT_EQ(fileRequests[0].initialFile, pathOf(folder));
    EXPECT_TRUE(folder.isDirectory());
}

TEST_F(SettingsFilesTest, TheFileButtonsRunOpenAndSave)
{
    startPanel();
    for (auto const* text : { "file OPEN", "file SAVE" }) {
        SCOPED_TRACE(text);
        juce::Button* button = nullptr;
        for (auto* b : childrenOfType<juce::TextButton>(*panel))
            if (b->getButtonText() == text)
                button = b;
        ASSERT_NE(button, nullptr);
        fileRequests.clear();
        chosenFiles.push_back("");

        button->triggerClick();
        guitest::pumpUntil([this] { return !fileRequests.empty(); });

        ASSERT_EQ(fileRequests.size(), 1u);
        EXPECT_EQ(fileRequests[0].save, juce::String(text) == "file SAVE" ? 1 : 0);
    }
}
