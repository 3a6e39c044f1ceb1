#include "GuiTestSupport.h"

#include "app/JuceUtils.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using shelltest::RecordingContent;
using shelltest::TestWindow;
using shelltest::contains;
using shelltest::pumpUntil;

// A window with a recording content, made in a working folder whose
// development tree holds no background image unless the test draws one.
class ShellWindow : public shelltest::InDevelopmentTree
{
protected:
    void TearDown() override
    {
        window.reset();
        InDevelopmentTree::TearDown();
    }

    void makeWindow()
    {
        window.reset(shelltest::makeRecordingWindow(log, [this](RecordingContent& made) {
            content = &made;
            configure(made);
        }));
    }

    std::shared_ptr<RecordingContent::Log> log = std::make_shared<RecordingContent::Log>();
    std::function<void(RecordingContent&)> configure = [](RecordingContent&) {};
    RecordingContent* content = nullptr;
    std::unique_ptr<TestWindow> window;
};

TEST_F(ShellWindow, InitBuildsTheContentThenStartsItAfterInitHasReturned)
{
    makeWindow();
    window->init("doc.syx -psn_0_42 -NSDocumentRevisionsDebugMode YES", false, false);

    RecordingContent::Log expected { "createComponents", "enableButtons", "init:doc.syx " };
    EXPECT_EQ(expected, *log);
    ASSERT_TRUE(pumpUntil([&] { return contains(*log, "start"); }));
    expected.push_back("start");
    expected.push_back("enableButtons");
    ASSERT_TRUE(pumpUntil([&] { return log->size() == expected.size(); }));
    EXPECT_EQ(expected, *log);
    EXPECT_TRUE(content->isStarted());
    EXPECT_EQ(content, window->getContentComponent());
}

TEST_F(ShellWindow, IsShownAtTheDefaultSizeWithoutABackgroundAndCannotBeResized)
{
    makeWindow();
    window->init("", false, false);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(365, content->getWidth());
    EXPECT_EQ(255, content->getHeight());
    EXPECT_FALSE(window->isResizable());
    EXPECT_NE(nullptr, window->getCloseButton());
    EXPECT_NE(nullptr, window->getMinimiseButton());
    EXPECT_EQ(nullptr, window->getMaximiseButton());
}

TEST_F(ShellWindow, TakesTheBackgroundImagesSize)
{
    shelltest::writePng(temp.folder.getChildFile("resources/background_t.png"), 123, 87);
    makeWindow();
    window->init("", false, false);
    EXPECT_EQ(123, content->getPreferredWidth());
    EXPECT_EQ(87, content->getPreferredHeight());
    EXPECT_EQ(123, content->getWidth());
    EXPECT_EQ(87, content->getHeight());
}

TEST_F(ShellWindow, ClosesTheContentOnlyWhenItsInitWentThrough)
{
    makeWindow();
    window->init("", false, false);
    window.reset();
    EXPECT_TRUE(contains(*log, "close"));
}

// A content that drops its look and feel as it goes, as the settings panel does,
// would have JUCE make a window that is still on the screen anew and paint it.
TEST_F(ShellWindow, LeavesTheScreenBeforeItsContentIsDeleted)
{
    struct EndingContent : BContentBase
    {
        std::function<void()> atEnd;
        ~EndingContent() override { atEnd(); }
    };
    TestWindow* raw = nullptr;
    bool onScreenAtContentEnd = true;
    raw = new TestWindow([&] {
        auto* ending = new EndingContent();
        ending->atEnd = [&] { onScreenAtContentEnd = raw->isOnDesktop(); };
        return ending;
    });
    window.reset(raw);
    window->init("", false, false);
    ASSERT_TRUE(window->isOnDesktop());
    window.reset();
    EXPECT_FALSE(onScreenAtContentEnd);
}

TEST_F(ShellWindow, IsTheProcessWideInstanceUntilDeleted)
{
    makeWindow();
    EXPECT_EQ(window.get(), BWindow::getInstance());
    TestWindow second([] { return new BContentBase(); });
    EXPECT_EQ(window.get(), BWindow::getInstance());
    window.reset();
    EXPECT_EQ(nullptr, BWindow::getInstance());
}

TEST_F(ShellWindow, CloseButtonAsksTheContentAndStaysWhenRefused)
{
    configure = [](RecordingContent& c) { c.canQuitResult = false; };
    makeWindow();
    window->init("", false, false);
    window->closeButtonPressed();
    EXPECT_TRUE(contains(*log, "canQuit"));
    EXPECT_FALSE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
}

TEST_F(ShellWindow, WindowDeletedBeforeItsStartNeverStartsTheContent)
{
    makeWindow();
    window->init("", false, false);
    window.reset();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(100);
    EXPECT_FALSE(contains(*log, "start"));
}

juce::MouseEvent mouseEvent(juce::Component* c, juce::ModifierKeys mods, juce::Point<float> at,
                            juce::Point<float> downAt)
{
    juce::Time now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), at, mods, 0.0f, 0.0f, 0.0f, 0.0f,
                            0.0f, c, c, now, downAt, now, 1, at != downAt);
}

TEST_F(ShellWindow, LeftButtonDragMovesTheWindowByTheDistanceRightButtonDoesNot)
{
    makeWindow();
    window->init("", false, false);
    window->setTopLeftPosition(200, 150);
    juce::Point<float> down(10, 10);

    auto right = juce::ModifierKeys(juce::ModifierKeys::rightButtonModifier);
    content->mouseDown(mouseEvent(content, right, down, down));
    content->mouseDrag(mouseEvent(content, right, { 60, 40 }, down));
    EXPECT_EQ(juce::Point<int>(200, 150), window->getPosition());

    auto left = juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier);
    content->mouseDown(mouseEvent(content, left, down, down));
    content->mouseDrag(mouseEvent(content, left, { 40, 25 }, down));
    EXPECT_EQ(juce::Point<int>(230, 165), window->getPosition());
    content->mouseUp(mouseEvent(content, left, { 50, 5 }, down));
    EXPECT_EQ(juce::Point<int>(240, 145), window->getPosition());

    // The drag has ended: further moves do nothing.
    content->mouseDrag(mouseEvent(content, left, { 90, 90 }, down));
    EXPECT_EQ(juce::Point<int>(240, 145), window->getPosition());
}

TEST_F(ShellWindow, AsyncRequestsFromAnotherThreadRunOnTheMessageThread)
{
    makeWindow();
    window->init("", false, false);
    ASSERT_TRUE(pumpUntil([&] { return contains(*log, "start"); }));
    log->clear();
    std::thread([this] { content->enableButtonsAsync(); }).join();
    ASSERT_TRUE(pumpUntil([&] { return contains(*log, "enableButtons"); }));
}

} // namespace
