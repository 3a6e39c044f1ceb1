// GUI tests run inside a JUCE application: JUCE installs its X error handling
// only there. The tests run on the message thread; the exit code is theirs.
// They run straight from initialise(), not from a posted call: JUCE 7 on Linux
// can lose the wake-up of the outer loop when a test nests a dispatch loop
// inside a message callback, and the quit would then never be seen.
#include <gtest/gtest.h>
#include <cstdlib>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class GuiTestApplication : public juce::JUCEApplicationBase
{
public:
    const juce::String getApplicationName() override { return "Dravik GUI tests"; }
    const juce::String getApplicationVersion() override { return "1"; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void anotherInstanceStarted(const juce::String&) override {}
    void suspended() override {}
    void resumed() override {}
    void systemRequestedQuit() override {}
    void unhandledException(const std::exception*, const juce::String&, int) override {}

    void initialise(const juce::String&) override
    {
        setApplicationReturnValue(RUN_ALL_TESTS());
        quit();
    }

    void shutdown() override {}
};
}

int main(int argc, char** argv)
{
    // The tests run from the build tree, which may lie on a loop device: no
    // install offer unless a test sets up its own mount table.
    setenv("DRAVIK_MOUNTINFO", "/dev/null", 0);
    ::testing::InitGoogleTest(&argc, argv);
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new GuiTestApplication(); };
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
