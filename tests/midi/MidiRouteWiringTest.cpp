#include "midi/TMidiAliasManager.h"
#include "midi/TMidiRouter.h"

#include "tests/foundation/WaitUntil.h"
#include "tests/midi/MidiManagerTestSupport.h"

#include <chrono>
#include <future>
#include <set>

using namespace miditest;

namespace {

// Leaves the received messages unhandled, or handles them.
struct PassOn : Tr::MidiIncomingMessageHandler {
    void OnIncomingMidiMessage(int, unsigned long long, unsigned char*, int, int& handled) override
    {
        handled = handle;
    }
    int handle = 0;
};

struct ThruSeen : Tr::MidiThruHandler {
    void OnMidiThru(Tr::TMidiAliasList& thruList) override { lists.push_back(thruList.count); }
    std::vector<int> lists;
};

// Each filter and handler waits for a rescan on another thread, which takes the
// manager's locks: it finds none of them held by the sending or receiving thread.
struct RescanFromEveryHook : Tr::MidiOutDeviceFilter,
                             Tr::MidiInDeviceFilter,
                             Tr::MidiIncomingMessageHandler,
                             Tr::MidiThruHandler {
    void FilterMidiOut(int, unsigned char*&, int&, int&) override { rescan("out filter"); }
    void FilterMidiIn(int, unsigned long long&, unsigned char*&, int&, int&) override { rescan("in filter"); }
    void OnIncomingMidiMessage(int, unsigned long long, unsigned char*, int, int&) override { rescan("handler"); }
    void OnMidiThru(Tr::TMidiAliasList&) override { rescan("thru handler"); }

    void rescan(std::string const& hook)
    {
        rescans.push_back(std::async(std::launch::async, [] { Tr::MidiManager::instance()->RefreshDevList(1, 0, 1); }));
        bool done = rescans.back().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        (done ? inTime : late).insert(hook);
    }

    std::set<std::string> inTime;
    std::set<std::string> late;
    // Waited for when the hooks are gone: a late rescan ends only once its hook returned.
    std::vector<std::future<void>> rescans;
};

class MidiRouteWiring : public OpenVirtualPorts {
protected:
    void SetUp() override
    {
        router->RemoveAll();
        OpenVirtualPorts::SetUp();
    }

    void TearDown() override
    {
        manager->SetIncomingMessageHandler(nullptr);
        manager->SetThruHandler(nullptr);
        router->RemoveAll();
        OpenVirtualPorts::TearDown();
    }

    Tr::TMidiAlias* alias(std::string const& name, Tr::TAliasType type)
    {
        return Tr::TMidiAliasManager::instance()->GetAliasByName(port(name).c_str(), type, 0);
    }

    // The names of the aliases in the input slot's thru list.
    std::vector<std::string> thruOf(std::string const& name)
    {
        Tr::TMidiAliasList list;
        dynamic_cast<Tr::MMDevIn&>(slot(name, 1)).GetThruList(list);
        std::vector<std::string> names;
        for (int i = 0; i < list.count; ++i)
            names.push_back(log.strip(list.items[i]->GetName().c_str()));
        return names;
    }

    void receive(std::string const& hex)
    {
        auto list = packetList({{1, hex}});
        midi.inject(source, asList(list));
    }

    std::vector<std::string> sentHex(MIDIEndpointRef destination)
    {
        std::vector<std::string> hex;
        for (Packet const& packet : sentTo(midi, destination))
            hex.push_back(packet.hex);
        return hex;
    }

    Tr::TMidiRouter* router = Tr::TMidiRouter::instance();
};

} // namespace

TEST_F(MidiRouteWiring, ARouteBetweenTwoPortsAliasesPassesUnhandledMessagesOnToTheOutput)
{
    Tr::TMidiAlias* input = alias("In", Tr::AliasMidiIn);
    Tr::TMidiAlias* output = alias("Two", Tr::AliasMidiOut);
    ASSERT_TRUE(input && output);
    router->AddRoute(input, output);
    EXPECT_EQ((std::vector<std::string>{"Two"}), thruOf("In"));

    receive("90 3C 64");
    EXPECT_TRUE(midi.sent().empty()) << "without an incoming handler nothing is passed on";
    PassOn handler;
    ThruSeen thru;
    manager->SetIncomingMessageHandler(&handler);
    manager->SetThruHandler(&thru);
    receive("90 3C 64");
    EXPECT_EQ((std::vector<std::string>{"90 3C 64"}), sentHex(two));
    EXPECT_TRUE(sentHex(one).empty());
    EXPECT_EQ((std::vector<int>{1}), thru.lists);
    handler.handle = 1;
    receive("80 3C 00");
    EXPECT_EQ(1u, midi.sent().size()) << "a handled message stops there";

    router->RemoveRoute(input, output);
    EXPECT_EQ((std::vector<std::string>{}), thruOf("In"));
    handler.handle = 0;
    receive("80 3C 00");
    EXPECT_EQ(1u, midi.sent().size());
    EXPECT_EQ(1u, thru.lists.size());
}

TEST_F(MidiRouteWiring, FiltersAndHandlersMayCallBackIntoTheManagerWhileARescanRuns)
{
    router->AddRoute(alias("In", Tr::AliasMidiIn), alias("Two", Tr::AliasMidiOut));
    RescanFromEveryHook hooks;
    manager->AddOutDeviceFilter(&hooks);
    manager->AddInDeviceFilter(&hooks);
    manager->SetIncomingMessageHandler(&hooks);
    manager->SetThruHandler(&hooks);
    std::vector<Byte> note = bytesOf("90 3C 64");
    manager->SendMessageAllDevs(note.data(), 3);
    receive("90 3C 64");
    manager->RemoveOutDeviceFilter(&hooks);
    manager->RemoveInDeviceFilter(&hooks);
    manager->SetIncomingMessageHandler(nullptr);
    manager->SetThruHandler(nullptr);
    for (auto& rescan : hooks.rescans)
        rescan.wait();
    EXPECT_EQ((std::set<std::string>{"out filter", "in filter", "handler", "thru handler"}), hooks.inTime);
    EXPECT_EQ(std::set<std::string>{}, hooks.late);
}

// Routes loaded at start name ports by their aliases before any rescan found them.
TEST_F(MidiRouteWiring, ARouteToAPortNotYetPresentWorksOnceTheRescanFindsIt)
{
    PassOn handler;
    manager->SetIncomingMessageHandler(&handler);
    Tr::TIniFile ini("unused.ini");
    ini.WriteString("MIDI.routes", "In0", port("In").c_str());
    ini.WriteString("MIDI.routes", "Out0", port("Late").c_str());
    router->LoadFromIni(ini);
    EXPECT_EQ((std::vector<std::string>{"Late"}), thruOf("In"));
    receive("C0 05");
    EXPECT_TRUE(midi.sent().empty());

    MIDIEndpointRef late = midi.add(kMIDIObjectType_Destination, named("Late"));
    manager->RefreshDevList(1, 0, 1);
    open("Late");
    receive("C0 06");
    EXPECT_EQ((std::vector<std::string>{"C0 06"}), sentHex(late));

    // A port that went keeps its slot and thru list; its messages stop with it.
    midi.remove(source);
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ((std::vector<std::string>{"Late"}), thruOf("In"));
}

// Routes change on this thread (added, modified, removed, in batches, loaded and
// saved) while the timer thread rescans, which renews aliases, alias lists and thru
// lists; at the end the input's thru list follows the last route change.
TEST(MidiRouteThreads, RouteChangesAgainstRescansOnTheTimerThread)
{
    VirtualMidiBackend& midi = freshVirtualMidi();
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    Tr::TMidiAliasManager* aliases = Tr::TMidiAliasManager::instance();
    Tr::TMidiRouter* router = Tr::TMidiRouter::instance();
    manager->SetSuspended(0);
    VirtualMidiPort in;
    in.name = "RouteThreads:In";
    midi.add(kMIDIObjectType_Source, in);
    manager->RefreshDevList(1, 0, 1);
    Tr::TMidiAlias* input = aliases->GetAliasByName("RouteThreads:In", Tr::AliasMidiIn, 1);
    PortPlugger plugger(midi, "RouteThreads:");
    Tr::BTimer timer(&plugger, 1, 1, "plugger");
    timer.start();

    Tr::TIniFile ini("unused.ini");
    Tr::TMidiAliasList thru;
    for (int round = 0; round < 60 || plugger.rounds < 20; ++round) {
        Tr::TMidiAlias* output =
            aliases->GetAliasByName(("RouteThreads:P" + std::to_string(round % 3)).c_str(), Tr::AliasMidiOut, 1);
        router->BeginUpdate();
        int index = router->AddRoute(input, output);
        router->ModifyRoute(router->GetRoutes().GetRoute(index), input, output);
        router->EndUpdate();
        if (round % 4 == 0)
            router->RemoveRoute(index);
        if (round % 10 == 0) {
            router->SaveToIni(ini);
            router->LoadFromIni(ini);
        }
        if (Tr::MidiManagerDev* slot = manager->GetDevDescriptor("RouteThreads:In", 1))
            dynamic_cast<Tr::MMDevIn*>(slot)->GetThruList(thru);
    }
    timer.stop();
    ASSERT_TRUE(TrTest::waitUntil([&] { return !timer.isStarted(); }));

    router->RemoveAll();
    Tr::TMidiAlias* last = aliases->GetAliasByName("RouteThreads:P0", Tr::AliasMidiOut, 1);
    router->AddRoute(input, last);
    dynamic_cast<Tr::MMDevIn*>(manager->GetDevDescriptor("RouteThreads:In", 1))->GetThruList(thru);
    ASSERT_EQ(1, thru.count);
    EXPECT_EQ(last, thru.items[0]);
}
