#include "app/HoverTooltipWindow.h"
#include "tests/support/DispatchLoop.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace {

// A window with two buttons side by side, each with a tooltip, and the pointer
// moved over it by events handed to its peer as the window system would.
class HoverTooltipWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner.setBounds(100, 100, 300, 200);
        for (auto* button : { &left, &right }) {
            button->setTooltip("tip of " + button->getButtonText());
            owner.addAndMakeVisible(button);
        }
        left.setBounds(20, 20, 100, 30);
        right.setBounds(120, 20, 100, 30);
        owner.addToDesktop(0);
        owner.setVisible(true);
        // JUCE shows tooltips only to the application that has the focus.
        owner.toFront(true);
        ASSERT_TRUE(guitest::pumpUntil([] { return juce::Process::isForegroundProcess(); }));
    }

    void TearDown() override { guitest::endWithADispatchedMessage(); }

    void pointerAt(juce::Point<float> position)
    {
        owner.getPeer()->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, position,
                                          juce::ModifierKeys(), juce::MouseInputSource::defaultPressure,
                                          juce::MouseInputSource::defaultOrientation,
                                          juce::Time::currentTimeMillis());
    }

    juce::TooltipWindow* tooltipWindow()
    {
        for (auto* child : owner.getChildren())
            if (auto* window = dynamic_cast<juce::TooltipWindow*>(child))
                return window;
        return nullptr;
    }

    juce::Component owner;
    juce::TextButton left { "left" };
    juce::TextButton right { "right" };
    HoverTooltipWindow tooltips { owner };
};

TEST_F(HoverTooltipWindowTest, TheTooltipWindowLivesWhileThePointerIsOverTheOwnerOrItsControls)
{
    EXPECT_EQ(tooltipWindow(), nullptr);
    pointerAt({ 30, 30 });
    juce::Component::SafePointer<juce::TooltipWindow> window = tooltipWindow();
    ASSERT_NE(window, nullptr);
    pointerAt({ 130, 30 });
    pointerAt({ 150, 150 });
    EXPECT_NE(window, nullptr) << "moving from control to control inside keeps it";
    pointerAt({ -20, 50 });
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(tooltipWindow(), nullptr);
    pointerAt({ 130, 30 });
    EXPECT_NE(tooltipWindow(), nullptr) << "a pointer coming back brings it back";
}

TEST_F(HoverTooltipWindowTest, ATooltipShowsWhileThePointerRestsOnAControl)
{
    pointerAt({ 30, 30 });
    ASSERT_NE(tooltipWindow(), nullptr);
    EXPECT_TRUE(guitest::pumpUntil([this] { return tooltipWindow()->isVisible(); }));
}

} // namespace
