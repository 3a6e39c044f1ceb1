#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class BWindow;

// The application object: one instance only; owns the main window.
class DravikApplication : public juce::JUCEApplication
{
public:
    DravikApplication();
    ~DravikApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void initialise(juce::String const& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted(juce::String const& commandLine) override;
    // A quit from a menu or the system asks the main window like its close
    // button does, so unsaved changes are never dropped without the question.
    void systemRequestedQuit() override;

private:
    std::unique_ptr<BWindow> window;
};
