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

struct Layout
{
    bool yesToAll, noToAll, cancelAll;
    juce::StringArray buttons;

    Code confirm(bool& checked) const
    {
        return JuceUtils::Confirm("Replace?", "Remember", checked, yesToAll, noToAll, cancelAll);
    }
};

Layout const layouts[] = {
    { false, false, false, { "yes", "no", "cancel" } },
    { true, true, true, { "yes", "no", "yes to all", "no to all", "cancel all", "cancel" } },
    { false, true, false, { "yes", "no", "no to all", "cancel" } },
};

Code codeNamed(juce::String const& name)
{
    for (int code = JuceUtils::Cancel; code <= JuceUtils::CancelAll; ++code)
        if (JU_getButtonNameForCode(static_cast<Code>(code)) == name)
            return static_cast<Code>(code);
    return JuceUtils::Ok;
}

// The texts of the box's buttons, left to right.
juce::StringArray buttonTexts(juce::AlertWindow& box)
{
    juce::Array<juce::Component*> buttons;
    for (auto* child : box.getChildren())
        if (dynamic_cast<juce::TextButton*>(child))
            buttons.add(child);
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->getX() < b->getX(); });
    juce::StringArray texts;
    for (auto* button : buttons)
        texts.add(static_cast<juce::TextButton*>(button)->getButtonText());
    return texts;
}

void press(juce::AlertWindow& box, juce::KeyPress const& key)
{
    ASSERT_NE(nullptr, box.getPeer());
    box.getPeer()->handleKeyPress(key);
}

// Runs action on the real box once its modal loop runs; show the box after this.
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
                *dialog.checkState = !*dialog.checkState;
            return answer;
        });
    }
    void TearDown() override { JuceUtils::setDialogHook(previous); }

    Code answer = JuceUtils::Cancel;
    std::vector<JuceUtils::Dialog> shown;
    std::atomic<bool> onMessageThread { false };
    JuceUtils::DialogHook previous;
};

TEST_F(HookedBox, EveryButtonOfEveryLayoutAnswersWithItsCode)
{
    for (Layout const& layout : layouts) {
        for (juce::String const& button : layout.buttons) {
            answer = codeNamed(button);
            bool checked = false;
            EXPECT_EQ(answer, layout.confirm(checked)) << button;
            EXPECT_EQ(layout.buttons, shown.back().buttons);
            EXPECT_TRUE(checked);
        }
    }
    EXPECT_EQ(juce::String("Confirm"), shown.back().title);
    EXPECT_EQ(juce::String("Remember"), shown.back().checkBoxText);
    EXPECT_EQ(juce::MessageBoxIconType::QuestionIcon, shown.back().icon);
}

TEST_F(HookedBox, ConfirmCheckGivesYesAndTheCancelState)
{
    for (auto [code, result, cancelled] : { std::tuple(JuceUtils::Yes, true, 0), std::tuple(JuceUtils::No, false, 0),
                                            std::tuple(JuceUtils::Cancel, false, 1) }) {
        answer = code;
        bool checked = false;
        int cancelState = -1;
        EXPECT_EQ(result, JuceUtils::ConfirmCheck("Go on?", "Do not ask again", checked, &cancelState));
        EXPECT_EQ(cancelled, cancelState);
    }
}

TEST_F(HookedBox, FYICheckIsAnInformationBoxWithOk)
{
    bool checked = true;
    JuceUtils::FYICheck("Done.", "Do not show again", checked);
    EXPECT_FALSE(checked);
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

// The real box: its buttons, what each answers, and the letter keys and Escape.
TEST(RealBox, ButtonsAndKeysOfEveryLayout)
{
    std::vector<std::pair<std::function<void(juce::AlertWindow&)>, Code>> presses = {
        { [](juce::AlertWindow& box) { press(box, juce::KeyPress('y')); }, JuceUtils::Yes },
        { [](juce::AlertWindow& box) { press(box, juce::KeyPress('n')); }, JuceUtils::No },
        { [](juce::AlertWindow& box) { press(box, juce::KeyPress(juce::KeyPress::escapeKey)); }, JuceUtils::Cancel },
    };
    for (Layout const& layout : layouts) {
        auto all = presses;
        for (juce::String const& button : layout.buttons)
            all.emplace_back([button](juce::AlertWindow& box) { box.triggerButtonClick(button); }, codeNamed(button));
        for (auto const& [act, expected] : all) {
            juce::StringArray texts;
            whenTheBoxShows([&, act = act](juce::AlertWindow& box) {
                texts = buttonTexts(box);
                act(box);
            });
            bool checked = false;
            EXPECT_EQ(expected, layout.confirm(checked));
            EXPECT_EQ(layout.buttons, texts);
        }
    }
}

TEST(RealBox, ButtonCountOutsideOneToSixIsClamped)
{
    for (auto [count, shown] : { std::pair(0, 1), std::pair(-3, 1), std::pair(9, 6) }) {
        BAlertWindowInfo info;
        info.buttonCount = count;
        for (auto& text : info.buttonTexts)
            text = "b";
        int buttons = 0;
        whenTheBoxShows([&](juce::AlertWindow& box) {
            buttons = buttonTexts(box).size();
            press(box, juce::KeyPress(juce::KeyPress::escapeKey));
        });
        EXPECT_EQ(0, info.show()) << count;
        EXPECT_EQ(shown, buttons) << count;
    }
}

TEST(RealBox, FYICheckShowsTheCheckBoxAndWritesItsStateBack)
{
    juce::String checkText;
    whenTheBoxShows([&](juce::AlertWindow& box) {
        ASSERT_EQ(1, box.getNumCustomComponents());
        auto* check = dynamic_cast<juce::ToggleButton*>(box.getCustomComponent(0));
        ASSERT_NE(nullptr, check);
        checkText = check->getButtonText();
        check->setToggleState(!check->getToggleState(), juce::sendNotification);
        press(box, juce::KeyPress(juce::KeyPress::returnKey));
    });
    bool checked = false;
    JuceUtils::FYICheck("Done.", "Do not show again", checked);
    EXPECT_TRUE(checked);
    EXPECT_EQ(juce::String("Do not show again"), checkText);
}

} // namespace
