#include "app/BAlertWindowInfo.h"

#include <cstdint>

namespace {

// The result of the button at index: the last button (which Escape presses) and
// a single one give 0, the others their position counted from 1.
int resultOfButton(int index, int count)
{
    return count == 1 || index == count - 1 ? 0 : index + 1;
}

// The button's first letter, lower-cased, without modifiers.
juce::KeyPress firstLetterKey(juce::String const& text)
{
    if (text.isEmpty())
        return {};
    return juce::KeyPress(static_cast<int>(juce::CharacterFunctions::toLowerCase(text[0])));
}

} // namespace

void* BAlertWindowInfo::showCallback(void* info)
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(static_cast<BAlertWindowInfo*>(info)->show()));
}

int BAlertWindowInfo::clampedButtonCount() const
{
    return juce::jlimit(1, maxButtons, buttonCount);
}

int BAlertWindowInfo::show()
{
    JuceUtils::DialogReturnCode answer = JuceUtils::Cancel;
    juce::StringArray buttons(buttonTexts, clampedButtonCount());
    JuceUtils::Dialog dialog { iconType, title, message, false, buttons,
                               checkBoxText, checkBoxText.isEmpty() ? nullptr : &checkState };
    if (JuceUtils::answerByHook(dialog, answer)) {
        int pressed = buttons.indexOf(JU_getButtonNameForCode(answer));
        return pressed < 0 ? 0 : resultOfButton(pressed, buttons.size());
    }
    std::unique_ptr<juce::AlertWindow> window = createWindow();
    int result = window->runModalLoop();
    if (checkBox)
        checkState = checkBox->getToggleState();
    window.reset();
    checkBox.reset();
    return result;
}

std::unique_ptr<juce::AlertWindow> BAlertWindowInfo::createWindow()
{
    auto window = std::make_unique<juce::AlertWindow>(title, message, iconType,
                                                      nullptr);
    juce::KeyPress const escape(juce::KeyPress::escapeKey);
    juce::KeyPress const enter(juce::KeyPress::returnKey);
    int count = clampedButtonCount();
    if (count == 1) {
        window->addButton(buttonTexts[0], 0, escape, enter);
    } else {
        juce::KeyPress keyA = firstLetterKey(buttonTexts[0]);
        juce::KeyPress keyB = firstLetterKey(buttonTexts[1]);
        if (keyB == keyA)
            keyB = {};
        for (int i = 0; i < count; ++i) {
            juce::KeyPress letter = i == 0 ? keyA : i == 1 ? keyB : juce::KeyPress();
            juce::KeyPress other = i == count - 1 ? escape : i == 0 && count == 2 ? enter : juce::KeyPress();
            window->addButton(buttonTexts[i], resultOfButton(i, count), letter, other);
        }
    }
    if (checkBoxText.isNotEmpty()) {
        checkBox = std::make_unique<juce::ToggleButton>();
        checkBox->setButtonText(checkBoxText);
        checkBox->setToggleState(checkState, juce::dontSendNotification);
        checkBox->setVisible(true);
        checkBox->setSize(100, 25);
        checkBox->changeWidthToFitText();
        window->addCustomComponent(checkBox.get());
    }
    return window;
}
