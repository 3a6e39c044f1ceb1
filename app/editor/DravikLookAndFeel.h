#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The look of the editor. JUCE's default look paints a combo box's arrow in its
// arrow colour, which the panel's design gives the box's own background colour,
// so the arrow would vanish. This look keeps the light scheme that suits the
// background image, draws every combo box with a visible button and arrow, and
// gives message boxes and file dialogs the panel's buttons, so that they read as
// part of the same program.
class DravikLookAndFeel : public juce::LookAndFeel_V4 {
public:
    DravikLookAndFeel();

    // The design's two greys: boxes in use are dark, buttons and disabled boxes light.
    inline static juce::Colour const darkGrey { 153, 153, 153 };
    inline static juce::Colour const lightGrey { 191, 191, 191 };
    // The frame that marks the control with the keyboard focus.
    inline static juce::Colour const focusMark { 0, 84, 166 };

    void drawComboBox(juce::Graphics& g, int width, int height, bool isButtonDown,
                      int buttonX, int buttonY, int buttonW, int buttonH,
                      juce::ComboBox& box) override;
    void positionComboBoxText(juce::ComboBox& box, juce::Label& label) override;

    // Width of the button at the right end of every combo box.
    static constexpr int comboButtonWidth = 16;
};
