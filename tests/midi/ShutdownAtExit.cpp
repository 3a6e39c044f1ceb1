// Every MIDI test program ends as the application does: the shutdown registry
// deletes the MIDI manager, its back-ends and the timer thread.

#include "foundation/PexaSystem.h"

#include <gtest/gtest.h>

namespace {

struct ShutdownAtExit : ::testing::Environment {
    void TearDown() override { Tr::PexaSystem::shutdown(); }
};

::testing::Environment* const shutdownAtExit = ::testing::AddGlobalTestEnvironment(new ShutdownAtExit);

} // namespace
