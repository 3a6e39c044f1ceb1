#include "tests/midi/MidiManagerTestSupport.h"

#include <memory>
#include <thread>

using namespace miditest;

using Events = std::vector<std::string>;

namespace {

Events const openedA = {"before-open out A", "text out A Opened MIDI OUT: A", "after-open out A"};
Events const closedA = {"before-close out A", "text out A Closed MIDI OUT: A", "after-close out A"};

Events with(Events events, std::string const& last)
{
    events.push_back(last);
    return events;
}

} // namespace

using MidiRescan = ManagerTest;

TEST_F(MidiRescan, DuplicatesGetSuffixedSlotsAndOnlyForcedOrChangedRescansTell)
{
    plug({"Dup", "Dup"});
    EXPECT_EQ(1, manager->RefreshDevList(1, 0, 1));
    EXPECT_TRUE(slot("Dup").Exists());
    EXPECT_TRUE(slot("Dup (2)").Exists());
    EXPECT_NE(index("Dup"), index("Dup (2)"));
    EXPECT_EQ(Events{"list"}, log.take());

    EXPECT_EQ(0, manager->RefreshDevList(0, 0, 1));
    EXPECT_EQ(1, manager->RefreshDevList(1, 0, 1));
    EXPECT_EQ(Events{"list"}, log.take());

    plug({"Dup", "Dup", "C"});
    manager->ClearFactoryCaches();
    EXPECT_EQ(1, manager->RefreshDevList(0, 0, 1));
    EXPECT_TRUE(slot("C").Exists());
    EXPECT_EQ(Events{"list"}, log.take());
}

TEST_F(MidiRescan, APortPluggedInAheadOfAnOpenPortReopensItSilently)
{
    plug({"A"});
    manager->RefreshDevList(1, 0, 1);
    open("A");
    int a = index("A");
    log.take();

    plug({"B", "A"});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ(a, index("A"));
    EXPECT_TRUE(slot("A").IsOpen());
    EXPECT_EQ(1, deviceOf<TestOutput>("A").closes);
    EXPECT_EQ(with(openedA, "list"), log.take());
}

TEST_F(MidiRescan, AnUnpluggedOpenPortWaitsInItsSlotAndReopensThere)
{
    plug({"A"});
    manager->RefreshDevList(1, 0, 1);
    open("A");
    int a = index("A");
    log.take();

    plug({});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_FALSE(slot("A").Exists());
    EXPECT_TRUE(slot("A").IsPending());
    EXPECT_FALSE(slot("A").IsOpen());
    EXPECT_EQ(with(closedA, "list"), log.take());

    plug({"A"});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ(a, index("A"));
    EXPECT_TRUE(slot("A").IsOpen());
    EXPECT_EQ(with(openedA, "list"), log.take());
}

// Two ports of one name swap places: the open device follows its port, found by
// its identifiers, into the slot of the display name the port has now.
TEST_F(MidiRescan, ADeviceFollowsItsPortToAnotherDisplayName)
{
    PortSpec x(port("Dup"), "X", "IX");
    PortSpec y(port("Dup"), "Y", "IY");
    factory.outputs = {x, y};
    manager->RefreshDevList(1, 0, 1);
    open("Dup (2)");
    Tr::TMidiDeviceBase* device = slot("Dup (2)").GetDev();
    log.take();

    factory.outputs = {y, x};
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ(device, slot("Dup").GetDev());
    EXPECT_TRUE(slot("Dup").IsOpen());
    EXPECT_FALSE(slot("Dup (2)").IsOpen());
    EXPECT_EQ(index("Dup"), device->ownerIndex);
    EXPECT_STREQ("Y", device->GetDescriptor()->serial.c_str());
    EXPECT_EQ(Events{"list"}, log.take());
}

TEST_F(MidiRescan, APortPluggedInRightAfterARescanIsSeenByTheNextForcedOne)
{
    plug({"A"});
    manager->RefreshDevList(1, 0, 1);
    plug({"A", "B"});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_TRUE(slot("B").Exists());
}

TEST_F(MidiRescan, ARescanAskedForWhileListenersAreToldRunsOnceMore)
{
    plug({"A"});
    int askedMeanwhile = -1;
    log.onListChanged = [&] {
        if (askedMeanwhile >= 0)
            return;
        plug({"A", "B"});
        std::thread([&] { askedMeanwhile = manager->RefreshDevList(1, 0, 1); }).join();
    };
    EXPECT_EQ(1, manager->RefreshDevList(1, 0, 1));
    EXPECT_EQ(0, askedMeanwhile);
    EXPECT_TRUE(slot("B").Exists());
    EXPECT_EQ(2, log.count("list"));
}

TEST_F(MidiRescan, AListenerThatThrowsDoesNotStopLaterRescans)
{
    bool thrown = false;
    log.onListChanged = [&] {
        if (!thrown) {
            thrown = true;
            throw Tr::Exception("listener");
        }
    };
    EXPECT_THROW(manager->RefreshDevList(1, 0, 1), Tr::Exception);
    EXPECT_EQ(1, manager->RefreshDevList(1, 0, 1));
    EXPECT_EQ(2, log.count("list"));
}

TEST_F(MidiRescan, LookupsRescanOnceUnlessSuspended)
{
    plug({"A"});
    manager->SetSuspended(1);
    EXPECT_EQ(-1, index("A"));
    EXPECT_TRUE(log.take().empty());

    manager->SetSuspended(0);
    EXPECT_TRUE(slot("A").Exists());
    manager->GetDevCount(0);
    EXPECT_EQ(Events{"list"}, log.take());
}

TEST_F(MidiRescan, AFactoryBeyondTheTablesIsRefused)
{
    std::vector<std::unique_ptr<TestFactory>> more;
    int added = 0;
    for (int i = 0; i < Tr::MidiManager::kMaxFactories; ++i) {
        more.push_back(std::make_unique<TestFactory>());
        added += manager->AddFactory(more.back().get(), 0) ? 1 : 0;
    }
    EXPECT_EQ(Tr::MidiManager::kMaxFactories - 2, added); // beside CoreMIDI's and the fixture's
    EXPECT_FALSE(manager->AddFactory(&factory, 0));
    for (auto& extra : more)
        manager->RemoveFactory(extra.get(), 0);
}

TEST_F(MidiRescan, ARemovedFactoryLeavesItsSlotsAbsentAndItsPortsComeBackWithIt)
{
    plug({"A"});
    manager->RefreshDevList(1, 0, 1);
    open("A");
    log.take();

    manager->RemoveFactory(&factory, 1);
    EXPECT_FALSE(slot("A").Exists());
    EXPECT_FALSE(slot("A").IsOpen());
    EXPECT_TRUE(slot("A").IsPending());
    EXPECT_EQ(0u, slot("A").GetType());
    EXPECT_EQ(Events{"list"}, log.take());

    manager->AddFactory(&factory, 1);
    EXPECT_TRUE(slot("A").IsOpen());
    EXPECT_EQ(with(openedA, "list"), log.take());
}

using MidiLookups = ManagerTest;

TEST_F(MidiLookups, PairsInterfacesCountsAndDevices)
{
    factory.outputs = {PortSpec(port("Solo")), PortSpec(port("Box out"), "", "IFACE")};
    factory.inputs = {PortSpec(port("Other"), "", "ELSE"), PortSpec(port("Box in"), "", "IFACE")};
    manager->RefreshDevList(1, 0, 1);
    int opened = manager->GetNumberOfOpenedDevices();
    open("Box out");

    EXPECT_EQ(index("Box in", 1), manager->GetDevicePair(index("Box out"), 0));
    EXPECT_EQ(&slot("Box out"), manager->GetDevicePair(&slot("Box in", 1)));
    EXPECT_EQ(-1, manager->GetDevicePair(index("Solo"), 0));
    EXPECT_EQ(index("Box out"), manager->GetDevIndexByInterfaceName("iface", 0));
    EXPECT_EQ(opened + 1, manager->GetNumberOfOpenedDevices());
    EXPECT_EQ(slot("Box out").GetDev(), manager->GetMidiOutputByIndex(index("Box out")));
    try {
        manager->GetMidiInputByIndex(manager->GetDevCount(1));
        ADD_FAILURE() << "no error";
    } catch (Tr::Exception const& error) {
        EXPECT_STREQ("Illegal MIDI IN ID!", error.what());
    }
}
