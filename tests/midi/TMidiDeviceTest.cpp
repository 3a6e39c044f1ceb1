#include "midi/OpenMidiDevices.h"
#include "midi/TMidiDevice.h"

#include "tests/midi/MidiTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

using namespace miditest;

namespace {

std::unique_ptr<TestOutput> output(char const* name)
{
    return std::make_unique<TestOutput>(new Tr::MidiDeviceDescriptor(nullptr, 0, 0, name, "", "", ""));
}

} // namespace

TEST(MidiDevice, AnOpenDeviceIsInTheRegisterUntilItCloses)
{
    auto device = output("Register Out");
    device->Open();
    EXPECT_TRUE(device->IsOpen());
    EXPECT_TRUE(Tr::IsMidiDeviceOpen(0, "register out"));
    device->Close();
    device->Close();
    EXPECT_FALSE(device->IsOpen());
    EXPECT_FALSE(Tr::IsMidiDeviceOpen(0, "Register Out"));
    EXPECT_EQ(1, device->closes);
}

TEST(MidiDevice, ClosingADeviceLeavesAnotherDevicesEntry)
{
    auto open = output("Shared Out");
    auto closed = output("Shared Out");
    open->Open();
    closed->Close();
    EXPECT_TRUE(Tr::IsMidiDeviceOpen(0, "Shared Out"));
    open->Close();
    EXPECT_FALSE(Tr::IsMidiDeviceOpen(0, "Shared Out"));
}

TEST(MidiDevice, TheEntryMadeAtOpenGoesAtCloseWhateverTheNameBecame)
{
    auto device = output("Before");
    device->Open();
    Tr::MidiDeviceDescriptor renamed(nullptr, 0, 0, "After", "", "", "");
    device->SetDescriptor(&renamed);
    EXPECT_STREQ("After", device->GetDescriptor()->GetName().c_str());
    EXPECT_NE(&renamed, device->GetDescriptor());
    device->Close();
    EXPECT_FALSE(Tr::IsMidiDeviceOpen(0, "Before"));
}

TEST(MidiDevice, AFailedOpenLeavesItClosedUnregisteredAndUnlocked)
{
    auto device = output("Failing Out");
    device->failOpen = true;
    EXPECT_THROW(device->Open(), Tr::Exception);
    EXPECT_FALSE(device->IsOpen());
    EXPECT_FALSE(Tr::IsMidiDeviceOpen(0, "Failing Out"));
    device->failOpen = false;
    auto opened = std::async(std::launch::async, [&] { device->Open(); });
    ASSERT_EQ(std::future_status::ready, opened.wait_for(std::chrono::seconds(10)));
    EXPECT_TRUE(device->IsOpen());
}

// The close asked for while the port is being released (a port error told during
// the close) shows without a sanitizer whether the port is taken before it is
// released; the threads race for ThreadSanitizer.
TEST(MidiDevice, TwoClosesAtOnceReleaseThePortOnce)
{
    auto reentered = output("Reentered Out");
    reentered->Open();
    reentered->whileClosing = [&] { reentered->Close(); };
    reentered->Close();
    ASSERT_EQ(1, reentered->closes);
    for (int round = 0; round < 200; ++round) {
        auto device = output("Raced Out");
        device->Open();
        std::thread other([&] { device->Close(); });
        device->Close();
        other.join();
        ASSERT_EQ(1, device->closes) << "round " << round;
    }
}

