#pragma once

#include "app/QuitSignals.h"
#include "foundation/InstanceLock.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class BWindow;

// The application object: one instance per user; owns the main window.
class DravikApplication : public juce::JUCEApplication
{
public:
    DravikApplication();
    ~DravikApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    // JUCE's own check keeps one lock in /var/tmp for every user of the
    // machine; the editor keeps its own, per user, and takes it in initialise.
    bool moreThanOneInstanceAllowed() override;
    void initialise(juce::String const& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted(juce::String const& commandLine) override;
    // A quit from a menu, the system, Ctrl+C or SIGTERM asks the main window
    // like its close button does, so unsaved changes are never dropped without
    // the question.
    void systemRequestedQuit() override;

private:
    std::unique_ptr<Tr::UserInstanceLock> instanceLock;
    std::unique_ptr<QuitSignals> quitSignals;
    std::unique_ptr<BWindow> window;
};
