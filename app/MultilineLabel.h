#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Read-only text that wraps its words over several lines, drawn without
// background, outline, border or scroll bars.
class MultilineLabel : public juce::TextEditor
{
public:
    MultilineLabel();

    // Keeps the width and takes the height of the wrapped text.
    void adjustHeightToFitText();
};
