#include "app/editor/DravikLookAndFeel.h"

DravikLookAndFeel::DravikLookAndFeel()
    : juce::LookAndFeel_V4(getLightColourScheme())
{
    setColour(juce::TextButton::buttonColourId, lightGrey);
    setColour(juce::TextButton::buttonOnColourId, darkGrey);
    setColour(juce::TextButton::textColourOnId, juce::Colours::black);
    setColour(juce::TextButton::textColourOffId, juce::Colours::black);
    setColour(juce::AlertWindow::textColourId, juce::Colours::black);
}

// Background and button take the box's colours; the arrow takes its text colour,
// which is the one colour the design keeps apart from both.
void DravikLookAndFeel::drawComboBox(juce::Graphics& g, int width, int height, bool isButtonDown,
                                     int, int, int, int, juce::ComboBox& box)
{
    auto bounds = juce::Rectangle<int>(0, 0, width, height).toFloat();
    g.setColour(box.findColour(juce::ComboBox::backgroundColourId));
    g.fillRoundedRectangle(bounds, 2.0f);

    auto button = bounds.removeFromRight((float) juce::jmin(comboButtonWidth, width));
    auto buttonColour = box.findColour(juce::ComboBox::buttonColourId);
    g.setColour(isButtonDown ? buttonColour.darker(0.2f) : buttonColour);
    g.fillRoundedRectangle(button.reduced(1.0f), 2.0f);

    g.setColour(box.findColour(juce::ComboBox::outlineColourId));
    g.drawRoundedRectangle(juce::Rectangle<int>(0, 0, width, height).toFloat().reduced(0.5f), 2.0f, 1.0f);

    auto centre = button.getCentre();
    float half = juce::jmin(4.0f, button.getWidth() / 4.0f, (float) height / 4.0f);
    juce::Path arrow;
    arrow.addTriangle(centre.x - half, centre.y - half / 2.0f,
                      centre.x + half, centre.y - half / 2.0f,
                      centre.x, centre.y + half / 2.0f + 1.0f);
    auto arrowColour = box.findColour(juce::ComboBox::textColourId);
    g.setColour(arrowColour.withMultipliedAlpha(box.isEnabled() ? 1.0f : 0.35f));
    g.fillPath(arrow);
}

void DravikLookAndFeel::positionComboBoxText(juce::ComboBox& box, juce::Label& label)
{
    label.setBounds(1, 0, juce::jmax(0, box.getWidth() - comboButtonWidth - 1), box.getHeight());
    label.setFont(getComboBoxFont(box));
}
