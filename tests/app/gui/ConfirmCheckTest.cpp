#include "app/BAlertWindowInfo.h"
#include "app/JuceUtils.h"
#include "tests/support/DispatchLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Code = JuceUtils::DialogReturnCode;

struct Extras
{
    bool yesToAll, noToAll, cancelAll;
};

struct Layout
{
    char const* name;
    Extras extras;
    std::vector<juce::String> buttons;
};

Layout const layouts[] = {
    { "no extras", { false, false, false }, { "yes", "no", "cancel" } },
    { "all three", { true, true, true }, { "yes", "no", "yes to all", "no to all", "cancel all", "cancel" } },
    { "no to all only", { false, true, false }, { "yes", "no", "no to all", "cancel" } },
};

Code codeNamed(juce::String const& name)
{
    for (int code = JuceUtils::Cancel; code <= JuceUtils::CancelAll; ++code)
        if (JU_getButtonNameForCode(static_cast<Code>(code)) == name)
            return static_cast<Code>(code);
    return JuceUtils::Ok;
}

std::vector<juce::TextButton*> buttonsOf(juce::AlertWindow& box)
{
    std::vector<juce::TextButton*> buttons;
    for (auto* child : box.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*>(child))
            buttons.push_back(button);
    // JUCE lays the buttons out left to right in the order they were added.
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->getX() < b->getX(); });
    return buttons;
}

juce::ToggleButton* checkBoxOf(juce::AlertWindow& box)
{
    for (auto* child : box.getChildren())
        if (auto* toggle = dynamic_cast<juce::ToggleButton*>(child))
            return toggle;
    return nullptr;
}

void press(juce::AlertWindow& box, juce::KeyPress const& key)
{
    ASSERT_NE(nullptr, box.getPeer());
    box.getPeer()->handleKeyPress(key);
}

// Runs action on the real box once its modal loop runs; the box must be shown
// after this call.
void whenTheBoxShows(std::function<void(juce::AlertWindow&)> action)
{
    juce::MessageManager::callAsync([action] {
        auto* box = dynamic_cast<juce::AlertWindow*>(juce::Component::getCurrentlyModalComponent());
        ASSERT_NE(nullptr, box);
        action(*box);
    });
}

class HookedBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = JuceUtils::setDialogHook([this](JuceUtils::Dialog const& dialog) {
            shown.push_back(dialog);
            onMessageThread = juce::MessageManager::existsAndIsCurrentThread();
            if (dialog.checkState)
                *dialog.checkState = tickTo;
            return answer;
        });
    }
    void TearDown() override { JuceUtils::setDialogHook(previous); }

    Code answer = JuceUtils::Cancel;
    bool tickTo = true;
    std::vector<JuceUtils::Dialog> shown;
    std::atomic<bool> onMessageThread { false };
    JuceUtils::DialogHook previous;
};

TEST_F(HookedBox, EveryButtonOfEveryLayoutAnswersWithItsCode)
{
    for (Layout const& layout : layouts) {
        for (juce::String const& button : layout.buttons) {
            answer = codeNamed(button);
            shown.clear();
            bool checked = false;
            EXPECT_EQ(answer, JuceUtils::Confirm("Replace?", "Remember", checked, layout.extras.yesToAll,
                                                 layout.extras.noToAll, layout.extras.cancelAll))
                << layout.name << ": " << button;
            ASSERT_EQ(1u, shown.size());
            EXPECT_EQ(juce::StringArray(layout.buttons.data(), int(layout.buttons.size())), shown[0].buttons)
                << layout.name;
            EXPECT_TRUE(checked);
        }
    }
    JuceUtils::Dialog const& box = shown.back();
    EXPECT_EQ(juce::String("Confirm"), box.title);
    EXPECT_EQ(juce::String("Replace?"), box.message);
    EXPECT_EQ(juce::String("Remember"), box.checkBoxText);
    EXPECT_EQ(juce::MessageBoxIconType::QuestionIcon, box.icon);
}

TEST_F(HookedBox, AnAnswerWithoutItsButtonIsEscape)
{
    answer = JuceUtils::YesToAll;
    EXPECT_EQ(JuceUtils::Cancel, JuceUtils::Confirm("Replace?", false, true, false));
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(nullptr, shown[0].checkState);
}

TEST_F(HookedBox, ConfirmCheckGivesYesAndTheCancelState)
{
    struct Case
    {
        Code answer;
        bool result;
        int cancelled;
    };
    for (Case c : { Case { JuceUtils::Yes, true, 0 }, Case { JuceUtils::No, false, 0 },
                    Case { JuceUtils::Cancel, false, 1 } }) {
        answer = c.answer;
        bool checked = false;
        int cancelled = -1;
        EXPECT_EQ(c.result, JuceUtils::ConfirmCheck("Go on?", "Do not ask again", checked, &cancelled));
        EXPECT_EQ(c.cancelled, cancelled);
    }
}

TEST_F(HookedBox, FYICheckIsAnInformationBoxWithOkThatWritesTheCheckStateBack)
{
    for (bool state : { true, false }) {
        tickTo = state;
        bool checked = !state;
        JuceUtils::FYICheck("Done.", "Do not show again", checked);
        EXPECT_EQ(state, checked);
    }
    EXPECT_EQ(juce::String("Information"), shown[0].title);
    EXPECT_EQ(juce::MessageBoxIconType::InfoIcon, shown[0].icon);
    EXPECT_EQ(juce::StringArray("ok"), shown[0].buttons);
}

TEST_F(HookedBox, ConfirmCheckFromAnotherThreadIsShownOnTheMessageThread)
{
    answer = JuceUtils::No;
    std::atomic<bool> finished { false };
    bool result = true, checked = false;
    int cancelled = -1;
    std::thread worker([&] {
        result = JuceUtils::ConfirmCheck("From a worker", "Remember", checked, &cancelled);
        finished = true;
    });
    EXPECT_TRUE(guitest::pumpUntil([&] { return finished.load(); }));
    worker.join();
    EXPECT_TRUE(onMessageThread);
    EXPECT_FALSE(result);
    EXPECT_EQ(0, cancelled);
    EXPECT_TRUE(checked);
}

// The real box: its buttons, their keys, and the check box.
TEST(RealBox, ButtonsAndKeysOfEveryLayout)
{
    struct KeyCase
    {
        juce::KeyPress key;
        Code expected;
    };
    KeyCase const keys[] = { { juce::KeyPress('y'), JuceUtils::Yes },
                             { juce::KeyPress('n'), JuceUtils::No },
                             { juce::KeyPress(juce::KeyPress::escapeKey), JuceUtils::Cancel } };
    for (Layout const& layout : layouts) {
        for (KeyCase const& k : keys) {
            std::vector<juce::String> texts;
            whenTheBoxShows([&](juce::AlertWindow& box) {
                for (auto* button : buttonsOf(box))
                    texts.push_back(button->getButtonText());
                press(box, k.key);
            });
            bool checked = false;
            EXPECT_EQ(k.expected, JuceUtils::Confirm("Key?", "", checked, layout.extras.yesToAll,
                                                     layout.extras.noToAll, layout.extras.cancelAll))
                << layout.name << ", key " << k.key.getTextDescription();
            EXPECT_EQ(layout.buttons, texts) << layout.name;
        }
    }
}

TEST(RealBox, TheExtraButtonsAnswerWithTheirCodes)
{
    for (char const* button : { "yes to all", "no to all", "cancel all" }) {
        whenTheBoxShows([button](juce::AlertWindow& box) { box.triggerButtonClick(button); });
        EXPECT_EQ(codeNamed(button), JuceUtils::Confirm("All?", true, true, true)) << button;
    }
}

TEST(RealBox, ButtonCountOutsideOneToSixIsClamped)
{
    for (auto [count, shown] : { std::pair(0, 1), std::pair(-3, 1), std::pair(9, 6) }) {
        BAlertWindowInfo info;
        info.buttonCount = count;
        for (auto& text : info.buttonTexts)
            text = "b";
        size_t buttons = 0;
        whenTheBoxShows([&](juce::AlertWindow& box) {
            buttons = buttonsOf(box).size();
            press(box, juce::KeyPress(juce::KeyPress::escapeKey));
        });
        EXPECT_EQ(0, info.show()) << count;
        EXPECT_EQ(size_t(shown), buttons) << count;
    }
}

TEST(RealBox, FYICheckShowsTheCheckBoxAndWritesItsStateBack)
{
    juce::String checkText;
    whenTheBoxShows([&](juce::AlertWindow& box) {
        juce::ToggleButton* check = checkBoxOf(box);
        ASSERT_NE(nullptr, check);
        checkText = check->getButtonText();
        EXPECT_FALSE(check->getToggleState());
        check->setToggleState(true, juce::sendNotification);
        press(box, juce::KeyPress(juce::KeyPress::returnKey));
    });
    bool checked = false;
    JuceUtils::FYICheck("Done.", "Do not show again", checked);
    EXPECT_TRUE(checked);
    EXPECT_EQ(juce::String("Do not show again"), checkText);
}

} // namespace
