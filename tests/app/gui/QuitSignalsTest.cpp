#include "app/QuitSignals.h"
#include "tests/support/DispatchLoop.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

// Ctrl+C and SIGTERM reach the message loop as quit requests, one each, and no
// longer end the process; afterwards the earlier handlers are back.
TEST(QuitSignals, InterruptAndTerminateBecomeQuitRequests)
{
    struct sigaction before;
    sigaction(SIGTERM, nullptr, &before);
    int requests = 0;
    {
        QuitSignals signals([&requests] { ++requests; });
        for (int signal : { SIGINT, SIGTERM }) {
            int expected = requests + 1;
            ASSERT_EQ(raise(signal), 0);
            EXPECT_TRUE(guitest::pumpUntil([&] { return requests == expected; })) << signal;
        }
    }
    struct sigaction after;
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    EXPECT_EQ(requests, 2);
}

} // namespace
