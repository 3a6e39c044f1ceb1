#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace TrTest {

// Polls the condition every millisecond until it holds or the deadline passes;
// returns whether it held. The default deadline only ends a wait that failed, so
// it is long enough for a loaded machine and the sanitizers.
inline bool waitUntil(std::function<bool()> const& condition, int timeoutMillis = 30000)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline long long millisSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace TrTest
