#pragma once

#include "app/Runnable.h"

#include <juce_gui_basics/juce_gui_basics.h>

class BContentBase;

// The main window: creates its content panel through createContentPanel, sets it
// up in init, shows it at its preferred size and starts it 20 ms later. The
// first window made is the process-wide instance the rest of the program uses.
class BWindow : public juce::DocumentWindow, public juce::Timer, public Runnable
{
public:
    explicit BWindow(juce::String const& name);
    ~BWindow() override;

    static BWindow* getInstance();

    // Sets the content up under the message-manager lock; a Tr::Exception is
    // shown in a "Fatal Error" box and ends the application. The third flag has
    // no effect.
    virtual void init(juce::String const& commandLine, bool transparent, bool unused);
    virtual void anotherInstanceStarted(juce::String const& commandLine);
    // The posted start: the content's start, then its enableButtons.
    void run(void* data, int value) override;
    void timerCallback() override;
    virtual BContentBase* createContentPanel() = 0;

    void minimisationStateChanged(bool isNowMinimised) override;
    void paint(juce::Graphics& g) override;
    // Quits when the content allows it. The system's quit request takes this
    // path too, so the unsaved-changes question is never skipped.
    void closeButtonPressed() override;

    // Un-minimises the window and brings it and the process to the front.
    void toForeground();
    bool isTransparent() const { return transparent; }
    BContentBase* getContent() const { return content; }

private:
    void setUp(juce::String const& commandLine, bool isTransparent);
    static void showFatalError(char const* text);

    BContentBase* content = nullptr;
    bool transparent = false;
    // The content's init went through, so it read its settings and may write
    // them back at close; a run that failed to start must not.
    bool contentInitialised = false;

    static BWindow* instance;
};
