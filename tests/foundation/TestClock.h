#pragma once

#include "foundation/MilliTime.h"

#include <atomic>

namespace TrTest {

// Moves Tr::getMilliTime for one test, through the clock's offset, and gives the
// real clock back at the end. Tests that jump far ahead of their due times do not
// depend on how quickly a loaded machine runs them.
class TestClock {
public:
    TestClock() = default;
    TestClock(TestClock const&) = delete;
    TestClock& operator=(TestClock const&) = delete;
    ~TestClock() { Tr::setMilliTimeOffset(0); }

    void set(unsigned int newOffset)
    {
        offset = newOffset;
        Tr::setMilliTimeOffset(newOffset);
    }

    void advance(unsigned int millis) { set(offset + millis); }

private:
    std::atomic<unsigned int> offset{0};
};

} // namespace TrTest
