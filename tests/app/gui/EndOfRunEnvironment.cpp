// JUCE 7.0.5 on Linux: a dispatch loop nested in a message callback (these
// tests run inside one) leaves the outer dispatch reporting "nothing
// dispatched" when its last round found no event; the outer loop then waits for
// an event that never comes, even after quit. So the run ends with a round that
// dispatches a message.
#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <memory>

namespace {

class EndWithADispatchedMessage : public ::testing::Environment
{
public:
    void TearDown() override
    {
        auto ran = std::make_shared<bool>(false);
        juce::MessageManager::callAsync([ran] { *ran = true; });
        while (!*ran)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(0);
    }
};

::testing::Environment* const endOfRun = ::testing::AddGlobalTestEnvironment(new EndWithADispatchedMessage);

} // namespace
