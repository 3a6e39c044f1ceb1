// Paths that end the application run in a child process (death tests): a quit
// once posted would stop the message loop of every later test.
#include "GuiTestSupport.h"

#include "app/DravikApplication.h"
#include "app/JuceUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

using shelltest::RecordingContent;
using shelltest::TestWindow;
using shelltest::contains;
using shelltest::makeRecordingWindow;

enum ChildResult { Passed = 0, NoQuit = 2, ContentClosed = 3, WrongBox = 4, NotAsked = 5 };

[[noreturn]] void finish(int result)
{
    std::fflush(nullptr);
    std::_Exit(result);
}

bool quitRequested()
{
    return juce::MessageManager::getInstance()->hasStopMessageBeenSent();
}

class QuitPaths : public ::testing::Test
{
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

    std::shared_ptr<RecordingContent::Log> log = std::make_shared<RecordingContent::Log>();
};

TEST_F(QuitPaths, InitRefusedByTheContentQuitsAndNeverClosesIt)
{
    EXPECT_EXIT(
        {
            TestWindow* window = makeRecordingWindow(log, [](RecordingContent& c) { c.initResult = false; });
            window->init("", false, false);
            bool quit = quitRequested();
            bool shown = window->isVisible();
            delete window;
            finish(!quit ? NoQuit : contains(*log, "close") ? ContentClosed : shown ? WrongBox : Passed);
        },
        ::testing::ExitedWithCode(Passed), "");
}

TEST_F(QuitPaths, ExceptionDuringInitShowsTheFatalErrorBoxAndQuits)
{
    EXPECT_EXIT(
        {
            std::vector<JuceUtils::Dialog> boxes;
            JuceUtils::setDialogHook([&boxes](JuceUtils::Dialog const& d) {
                boxes.push_back(d);
                return JuceUtils::Ok;
            });
            TestWindow* window = makeRecordingWindow(log, [](RecordingContent& c) { c.initError = "disk on fire"; });
            window->init("", false, false);
            bool quit = quitRequested();
            delete window;
            bool rightBox = boxes.size() == 1 && boxes[0].title == "Fatal Error"
                            && boxes[0].icon == juce::MessageBoxIconType::WarningIcon && !boxes[0].yesNoCancel
                            && boxes[0].message
                                   == "The following error occured:\ndisk on fire\nThis program will close now.";
            finish(!quit ? NoQuit : !rightBox ? WrongBox : contains(*log, "close") ? ContentClosed : Passed);
        },
        ::testing::ExitedWithCode(Passed), "");
}

TEST_F(QuitPaths, CloseButtonQuitsWhenTheContentAllows)
{
    EXPECT_EXIT(
        {
            TestWindow* window = makeRecordingWindow(log, [](RecordingContent&) {});
            window->init("", false, false);
            window->closeButtonPressed();
            finish(!contains(*log, "canQuit") ? NotAsked : quitRequested() ? Passed : NoQuit);
        },
        ::testing::ExitedWithCode(Passed), "");
}

// A quit from a menu or the system asks the same question as the close button.
TEST_F(QuitPaths, SystemQuitRequestAsksTheContentFirst)
{
    EXPECT_EXIT(
        {
            DravikApplication application;
            TestWindow* window = makeRecordingWindow(log, [](RecordingContent& c) { c.canQuitResult = false; });
            window->init("", false, false);
            application.systemRequestedQuit();
            finish(!contains(*log, "canQuit") ? NotAsked : quitRequested() ? WrongBox : Passed);
        },
        ::testing::ExitedWithCode(Passed), "");
    EXPECT_EXIT(
        {
            DravikApplication application;
            TestWindow* window = makeRecordingWindow(log, [](RecordingContent&) {});
            window->init("", false, false);
            application.systemRequestedQuit();
            finish(!contains(*log, "canQuit") ? NotAsked : quitRequested() ? Passed : NoQuit);
        },
        ::testing::ExitedWithCode(Passed), "");
}

// One editor per user is the application's own lock (see the black-box test),
// not JUCE's, which all users of the machine share.
TEST_F(QuitPaths, ApplicationIsDravikMidiTVersion2)
{
    EXPECT_EXIT(
        {
            DravikApplication application;
            bool right = application.getApplicationName() == "Dravik MIDI T"
                         && application.getApplicationVersion() == "2.0";
            finish(right ? Passed : WrongBox);
        },
        ::testing::ExitedWithCode(Passed), "");
}

} // namespace
