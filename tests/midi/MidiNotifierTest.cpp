#include "foundation/BTimer.h"
#include "midi/MIDIDevChangeNotifier.h"

#include "tests/foundation/TestClock.h"
#include "tests/foundation/WaitUntil.h"
#include "tests/midi/MidiManagerTestSupport.h"

#include <chrono>
#include <thread>

using namespace miditest;
using TrTest::waitUntil;

namespace {

// The manager's own notifier hears the virtual back-end's ports come and go.
class MidiNotifier : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        ASSERT_TRUE(waitUntil([this] { return notifier().GetClient() != 0 && !notifier().isArmed(); }, 10000));
        log.take();
    }

    Tr::MIDIDevChangeNotifier& notifier() { return *manager->GetNotifier(); }

    // An output was added, told as CoreMIDI tells it, on this thread.
    void notify()
    {
        MIDIObjectAddRemoveNotification added{kMIDIMsgObjectAdded, sizeof added, 0, kMIDIObjectType_Other, 1,
                                              kMIDIObjectType_Destination};
        Tr::MIDIDevChangeNotifier::Callback(reinterpret_cast<MIDINotification const*>(&added), &notifier());
    }

    void plugVirtual(std::string const& name)
    {
        VirtualMidiPort virtualPort;
        virtualPort.name = port(name);
        midi.add(kMIDIObjectType_Destination, virtualPort);
    }

    VirtualMidiBackend& midi = *virtualMidiBackend();
};

} // namespace

TEST(MidiDevChangeNotifier, OnlyDevicesComingAndGoingArmTheRescan)
{
    freshVirtualMidi();
    struct Case {
        MIDINotificationMessageID message;
        MIDIObjectType child;
        bool arms;
    };
    Case const cases[] = {
        {kMIDIMsgObjectAdded, kMIDIObjectType_Source, true},
        {kMIDIMsgObjectRemoved, kMIDIObjectType_Destination, true},
        {kMIDIMsgObjectAdded, kMIDIObjectType_Entity, true},
        {kMIDIMsgObjectRemoved, kMIDIObjectType_Device, true},
        {kMIDIMsgObjectAdded, kMIDIObjectType_Other, false}, // a port or client of this program
        {kMIDIMsgPropertyChanged, kMIDIObjectType_Source, false},
        {kMIDIMsgSetupChanged, kMIDIObjectType_Source, false},
        {kMIDIMsgIOError, kMIDIObjectType_Source, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        Tr::MIDIDevChangeNotifier notifier(*Tr::MidiManager::instance());
        MIDIObjectAddRemoveNotification message{c.message, sizeof message, 0, kMIDIObjectType_Other, 1, c.child};
        Tr::MIDIDevChangeNotifier::Callback(reinterpret_cast<MIDINotification const*>(&message), &notifier);
        EXPECT_EQ(c.arms, notifier.isArmed());
    }
}

// The timer thread is kept from firing during the burst, so that a slow machine
// cannot split it.
TEST_F(MidiNotifier, ABurstGivesOneForcedRescanAfterItsLastNotification)
{
    std::atomic<unsigned int> heardAt{0};
    log.onListChanged = [&] { heardAt = Tr::getMilliTime(); };
    plug({"B1", "B2", "B3"});
    unsigned int lastNotified = 0;
    {
        Tr::BLockHolder noFiring(Tr::BTimerManager::lock());
        for (int i = 0; i < 3; ++i) {
            if (i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            // Read before: the rescan is due kSettleMillis after the clock that notify() reads.
            lastNotified = Tr::getMilliTime();
            notify();
        }
    }
    ASSERT_TRUE(waitUntil([&] { return heardAt != 0; }, 10000));
    EXPECT_GE(int(heardAt - lastNotified), Tr::MIDIDevChangeNotifier::kSettleMillis);
    for (char const* name : {"B1", "B2", "B3"})
        EXPECT_TRUE(slot(name).Exists()) << name;
    EXPECT_FALSE(waitUntil([&] { return log.count("list") > 1; }, 1500));
}

TEST_F(MidiNotifier, NothingIsRescannedWhileSuspendedAndLeavingSuspensionRescans)
{
    manager->SetSuspended(1);
    plug({"S"});
    notify();
    ASSERT_TRUE(waitUntil([&] { return !notifier().isArmed(); }, 10000));
    EXPECT_EQ(0, log.count("list"));
    EXPECT_EQ(-1, index("S"));

    manager->ClearFactoryCaches(); // the scripted factory counts its ports from its cache
    manager->SetSuspended(0);
    EXPECT_TRUE(slot("S").Exists());
    EXPECT_EQ(1, log.count("list"));
}

TEST_F(MidiNotifier, APortPluggedInRightAfterARescanIsSeenByTheNextOne)
{
    EXPECT_TRUE(manager->isDetectingMIDIDeviceChanges());
    EXPECT_EQ(notifier().GetClient(), manager->getSharedMIDIClientRef());
    manager->RefreshDevList(1, 0, 1);
    plugVirtual("Fresh");
    EXPECT_TRUE(waitUntil([&] { return index("Fresh") >= 0 && slot("Fresh").Exists(); }, 10000));
}

TEST_F(MidiNotifier, WithoutItsClientANotifierPollsEveryTenSeconds)
{
    plug({"P"}); // before the poller starts, which the timer thread hears of after it
    midi.fail(VirtualMidiCall::CreateClient, kMIDIServerStartErr);
    Tr::MIDIDevChangeNotifier polling(*manager);
    EXPECT_TRUE(polling.registerNotification());
    ASSERT_TRUE(waitUntil([&] { return polling.isArmed(); }, 10000));
    // The timer is armed under the timers' lock: once that is free, its due time is set.
    { Tr::BLockHolder armed(Tr::BTimerManager::lock()); }
    midi.fail(VirtualMidiCall::CreateClient, 0);
    EXPECT_TRUE(polling.registerNotification());
    EXPECT_TRUE(polling.isPolling());
    EXPECT_EQ(0u, polling.GetClient());

    TrTest::TestClock clock;
    clock.set(Tr::MIDIDevChangeNotifier::kPollMillis);
    ASSERT_TRUE(waitUntil([&] { return log.count("list") > 0; }, 10000));
    EXPECT_TRUE(slot("P").Exists());
    EXPECT_TRUE(polling.isArmed());
}
