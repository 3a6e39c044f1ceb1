#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Base of a dialog window: light grey, closed by Escape, placed over its parent's
// window (or in the middle of the screen) and shown modal or not. A dialog
// supplies its content and size.
class ABaseDialog : public juce::DialogWindow
{
public:
    ABaseDialog(juce::String const& title, juce::Component* parent, bool modal);

    // Takes the content, places the dialog and returns afterInit().
    bool init();
    // Sizes the content and centres the dialog over the parent's top-level
    // window, or on the screen when there is no parent or it has no size yet.
    void reposition();
    void setParent(juce::Component* newParent) { parent = newParent; }

    // Hides the dialog and ends its modal state with 0.
    void closeButtonPressed() override;
    // Shows the dialog; a modal one returns when it has been closed.
    virtual void showTheDialog(bool repositionFirst);

protected:
    virtual juce::Component* createContent() = 0;
    virtual bool afterInit() = 0;
    virtual int getContentWidth() = 0;
    virtual int getContentHeight() = 0;

private:
    bool modal;
    juce::Component* parent; // not owned
};
