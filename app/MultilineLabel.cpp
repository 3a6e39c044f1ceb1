#include "app/MultilineLabel.h"

MultilineLabel::MultilineLabel() : juce::TextEditor(juce::String())
{
    setReadOnly(true);
    setMultiLine(true, true);
    setIndents(0, 0);
    for (int id : { juce::TextEditor::backgroundColourId, juce::TextEditor::outlineColourId,
                    juce::TextEditor::focusedOutlineColourId, juce::TextEditor::shadowColourId })
        setColour(id, juce::Colours::transparentBlack);
    setScrollbarsShown(false);
    setBorder(juce::BorderSize<int>(0));
}

void MultilineLabel::adjustHeightToFitText()
{
    setSize(getWidth(), getTextHeight());
}
