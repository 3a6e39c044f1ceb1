#pragma once
// Runs a program's work inside a bare JUCE application, as the GUI test and
// benchmark programs do: JUCE installs its X error handling only inside a
// running JUCEApplicationBase. The work runs straight from initialise(), not
// from a posted call: JUCE 7 on Linux can lose the wake-up of the outer loop
// when the work nests a dispatch loop inside a message callback, and the quit
// would then never be seen. The program's exit code is the work's result.

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <utility>

namespace guitest {

inline int runAsJuceApplication(int argc, char** argv, juce::String name, std::function<int()> work)
{
    class Application : public juce::JUCEApplicationBase
    {
    public:
        const juce::String getApplicationName() override { return details().first; }
        const juce::String getApplicationVersion() override { return "1"; }
        bool moreThanOneInstanceAllowed() override { return true; }
        void anotherInstanceStarted(const juce::String&) override {}
        void suspended() override {}
        void resumed() override {}
        void systemRequestedQuit() override {}
        void unhandledException(const std::exception*, const juce::String&, int) override {}
        void shutdown() override {}

        void initialise(const juce::String&) override
        {
            setApplicationReturnValue(details().second());
            quit();
        }

        // The name and the work: JUCE makes the application through a plain function.
        static std::pair<juce::String, std::function<int()>>& details()
        {
            static std::pair<juce::String, std::function<int()>> given;
            return given;
        }
    };

    Application::details() = { std::move(name), std::move(work) };
    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase* { return new Application(); };
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}

} // namespace guitest
