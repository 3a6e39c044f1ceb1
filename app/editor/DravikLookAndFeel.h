#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The look of the settings panel. JUCE's default look paints a combo box's arrow
// in its arrow colour, which the panel's design gives the box's own background
// colour, so the arrow would vanish. This look keeps the light scheme that suits
// the background image and draws every combo box with a visible button and arrow.
class DravikLookAndFeel : public juce::LookAndFeel_V4 {
public:
    DravikLookAndFeel();

    void drawComboBox(juce::Graphics& g, int width, int height, bool isButtonDown,
                      int buttonX, int buttonY, int buttonW, int buttonH,
                      juce::ComboBox& box) override;
    void positionComboBoxText(juce::ComboBox& box, juce::Label& label) override;

    // Width of the button at the right end of every combo box.
    static constexpr int comboButtonWidth = 16;
};
