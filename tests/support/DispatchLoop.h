#pragma once
// Waiting on the message thread of a GUI test program (GuiTestMain.cpp runs
// the tests there).

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

namespace guitest {

// Runs the message loop until the condition holds or the deadline passes. The
// default deadline only ends a wait that failed: long enough for a loaded machine.
inline bool pumpUntil(std::function<bool()> const& condition, int timeoutMs = 30000)
{
    auto deadline = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMs);
    while (!condition()) {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
    }
    return true;
}

// JUCE 7.0.5 on Linux: a dispatch loop nested in a message callback (as these
// tests run) leaves the outer dispatch reporting "nothing dispatched" when its
// last round found no event, and the outer loop then waits for the next event
// even after quit. Ending with a round that dispatches a message avoids that.
inline void endWithADispatchedMessage()
{
    auto ran = std::make_shared<bool>(false);
    juce::MessageManager::callAsync([ran] { *ran = true; });
    while (!*ran)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(0);
}

} // namespace guitest
