#pragma once
// The process's alias manager, with aliases named after the running test so that
// tests run in one process keep to aliases of their own, and a listener that
// counts the change events.

#include "midi/TMidiAliasManager.h"

#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

namespace miditest {

struct AliasEvents : Tr::TMidiAliasChangeListener {
    void OnMidiAliasListChanged() override
    {
        ++count;
        if (during)
            during();
    }

    std::atomic<int> count{0};
    std::function<void()> during;
};

class AliasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        freshVirtualMidi();
        aliases = Tr::TMidiAliasManager::instance();
        aliases->AddAliasChangeListener(&events);
    }

    void TearDown() override { aliases->RemoveAliasChangeListener(&events); }

    Tr::BString name(std::string const& local) const { return (prefix + local).c_str(); }

    Tr::TMidiAliasManager* aliases = nullptr;
    AliasEvents events;
    std::string const prefix = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ":";
};

} // namespace miditest
