// The MIDI manager's end, in a program of its own: it can be made only once.

#include "foundation/BTimer.h"
#include "foundation/Exception.h"
#include "foundation/PexaSystem.h"
#include "midi/MidiManager.h"
#include "midi/TMidiRouter.h"
#include "midi/MIDIDevChangeNotifier.h"

#include "tests/foundation/WaitUntil.h"
#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

using namespace miditest;

namespace {

// Holds the rescan that tells it until released.
struct Blocking : Tr::TMidiDeviceListListener {
    void OnMidiDeviceListChanged() override
    {
        ++calls;
        entered.open();
        release.waitOpen();
    }

    Gate entered;
    Gate release;
    std::atomic<int> calls{0};
};

// Where the shutdown registry holds the first object of that class; -1 when nowhere.
template <class Object>
int recordedAt()
{
    Tr::BList<Tr::AutoDelete*>* list = Tr::PexaSystem::autoDels;
    for (int i = 0; list != nullptr && i < list->count; ++i)
        if (dynamic_cast<Object*>(list->items[i]) != nullptr)
            return i;
    return -1;
}

VirtualMidiPort named(char const* name)
{
    VirtualMidiPort port;
    port.name = name;
    return port;
}

} // namespace

TEST(MidiManagerShutdown, WaitsForARunningRescanThenEndsAndNothingCallsBack)
{
    VirtualMidiBackend& midi = freshVirtualMidi();
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    EXPECT_TRUE(Tr::TMidiRouter::IsInstanceAllocated()) << "the manager makes the router as it initialises";
    // The timers' manager is deleted after the MIDI manager, whenever the first
    // notification comes, so that its thread is joined.
    EXPECT_GT(recordedAt<Tr::BTimerManager>(), recordedAt<Tr::MidiManager>());
    manager->SetSuspended(0);
    Blocking blocking;
    manager->AddDevListChangeListener(&blocking);
    ASSERT_TRUE(TrTest::waitUntil([&] { return manager->GetNotifier()->GetClient() != 0; }, 10000));
    midi.add(kMIDIObjectType_Destination, named("A"));
    ASSERT_EQ(std::future_status::ready, blocking.entered.waited.wait_for(std::chrono::seconds(30)));

    auto shutdown = std::async(std::launch::async, [] { Tr::PexaSystem::shutdown(); });
    midi.add(kMIDIObjectType_Destination, named("B"));
    EXPECT_EQ(std::future_status::timeout, shutdown.wait_for(std::chrono::milliseconds(200)));
    blocking.release.open();
    ASSERT_EQ(std::future_status::ready, shutdown.wait_for(std::chrono::seconds(10)));

    midi.add(kMIDIObjectType_Destination, named("C"));
    EXPECT_FALSE(Tr::MidiManager::IsInstanceAllocated());
    EXPECT_THROW(Tr::MidiManager::instance(), Tr::Exception);
    EXPECT_EQ(1, blocking.calls);
    EXPECT_FALSE(Tr::TMidiRouter::IsInstanceAllocated());
    try {
        Tr::TMidiRouter::instance();
        ADD_FAILURE() << "the router was made again";
    } catch (Tr::Exception const& error) {
        EXPECT_STREQ("Cannot re-instanciate TMidiRouter!", error.what());
    }
}
