#pragma once

#include "app/JuceUtils.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// One message box with up to six buttons and an optional check box, described
// on any thread and shown on the message thread (JuceUtils::Confirm, FYICheck).
class BAlertWindowInfo
{
public:
    static constexpr int maxButtons = 6;

    juce::String title;
    juce::String message;
    juce::String buttonTexts[maxButtons];
    juce::String checkBoxText; // empty: no check box
    juce::MessageBoxIconType iconType = juce::MessageBoxIconType::NoIcon;
    int buttonCount = 1; // 1 to 6; a count outside is taken as the nearest
    bool checkState = false;

    // The function run on the message thread: show() of the info given.
    static void* showCallback(void* info);

    // Shows the box (or lets the dialog hook answer it) and returns the result of
    // the pressed button: 0 for the last one, which Escape presses too, and for
    // a single button; else 1 for the first, 2 for the second and so on. The
    // check box's state is stored back in checkState. Message thread only.
    int show();

private:
    int clampedButtonCount() const;
    std::unique_ptr<juce::AlertWindow> createWindow();

    std::unique_ptr<juce::ToggleButton> checkBox; // only while shown
};
