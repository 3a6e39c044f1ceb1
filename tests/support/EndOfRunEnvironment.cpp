// The run ends with a dispatched message (see endWithADispatchedMessage).
#include "tests/support/DispatchLoop.h"

#include <gtest/gtest.h>

namespace {

class EndWithADispatchedMessage : public ::testing::Environment
{
public:
    void TearDown() override { guitest::endWithADispatchedMessage(); }
};

::testing::Environment* const endOfRun = ::testing::AddGlobalTestEnvironment(new EndWithADispatchedMessage);

} // namespace
