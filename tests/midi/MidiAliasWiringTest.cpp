#include "midi/TMidiAliasManager.h"

#include "tests/foundation/WaitUntil.h"
#include "tests/midi/MidiAliasTestSupport.h"
#include "tests/midi/MidiManagerTestSupport.h"

#include <chrono>
#include <future>
#include <set>
#include <thread>

using namespace miditest;

namespace {

std::vector<std::string> namesIn(Tr::TMidiAliasList const& list, std::string const& prefix)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.count; ++i) {
        std::string name = list.items[i]->GetName().c_str();
        names.push_back(name.compare(0, prefix.size(), prefix) == 0 ? name.substr(prefix.size()) : name);
    }
    return names;
}

// Records the output slots that a send reaches.
struct SentTo : Tr::MidiOutDeviceFilter {
    void FilterMidiOut(int index, unsigned char*&, int&, int&) override { slots.push_back(index); }
    std::vector<int> slots;
};

} // namespace

class MidiAliasWiring : public ManagerTest {
protected:
    Tr::TMidiAliasManager* aliases = Tr::TMidiAliasManager::instance();

    Tr::TMidiAlias* alias(std::string const& name, Tr::TAliasType type)
    {
        return aliases->GetAliasByName(port(name).c_str(), type, 0);
    }

    std::vector<std::string> aliasesOf(std::string const& name, int input = 0)
    {
        Tr::TMidiAliasList list;
        slot(name, input).GetAliasList(list);
        return namesIn(list, prefix);
    }
};

TEST_F(MidiAliasWiring, PresentPortsHaveDeviceAliasesAndSlotsListTheAliasesNamingThem)
{
    plug({"A", "B"}, {"In"});
    manager->RefreshDevList(1, 0, 1);
    ASSERT_NE(alias("A", Tr::AliasMidiOut), nullptr);
    EXPECT_EQ(port("In"), alias("In", Tr::AliasMidiIn)->GetDeviceName().c_str());
    EXPECT_EQ(nullptr, alias("In", Tr::AliasMidiOut));

    aliases->ModifyAlias(port("Chooser").c_str(), Tr::AliasMidiOut, port("Chooser").c_str(), port("B").c_str(), true);
    EXPECT_EQ((std::vector<std::string>{"B", "Chooser"}), aliasesOf("B"));
    Tr::TMidiAlias* chooser = alias("Chooser", Tr::AliasMidiOut);
    EXPECT_EQ(index("B"), chooser->GetMidiManagerDevIndex());
    EXPECT_EQ(unsigned(TestFactory::kType), chooser->GetMidiManagerDevType());
    EXPECT_EQ((std::vector<std::string>{"In"}), aliasesOf("In", 1));

    // A user alias that bears a device's name is pointed back at that device.
    aliases->AddAlias(port("A").c_str(), "Elsewhere", Tr::AliasMidiOut);
    EXPECT_EQ((std::vector<std::string>{}), aliasesOf("A"));
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ((std::vector<std::string>{"A"}), aliasesOf("A"));

    // A port that went keeps its list, but its aliases name no slot any more.
    plug({"A"}, {"In"});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ((std::vector<std::string>{"B", "Chooser"}), aliasesOf("B"));
    EXPECT_EQ(-1, chooser->GetMidiManagerDevIndex());
    EXPECT_NE(nullptr, alias("B", Tr::AliasMidiOut)) << "device aliases of ports that went stay";
}

TEST_F(MidiAliasWiring, SendingToAnAliasListReachesTheOpenOutputsItNamesLastFirst)
{
    plug({"A", "B", "C"}, {"In"});
    manager->RefreshDevList(1, 0, 1);
    open("A");
    open("B");
    open("In", 1);
    SentTo sent;
    manager->AddOutDeviceFilter(&sent);
    Tr::TMidiAliasList list;
    for (char const* name : {"A", "C", "B"})
        list.Add(alias(name, Tr::AliasMidiOut));
    list.Add(alias("In", Tr::AliasMidiIn));
    list.Add(aliases->GetAliasByName(port("Nowhere").c_str(), Tr::AliasMidiOut, 1));
    unsigned char note[] = {0x90, 0x3C, 0x40};

    EXPECT_EQ(1, manager->SendMessageToAliasList(list, note, 3));
    EXPECT_EQ((std::vector<int>{index("B"), index("A")}), sent.slots);
    manager->SetSuspended(1);
    EXPECT_EQ(0, manager->SendMessageToAliasList(list, note, 3));
    manager->SetSuspended(0);
    manager->RemoveOutDeviceFilter(&sent);
}

// A listener may wait for another thread that uses the alias manager: nothing
// holds the alias lock while listeners are told.
TEST_F(MidiAliasWiring, ListenersAreToldWithoutTheAliasLockHeld)
{
    AliasEvents waiter;
    std::future_status helper = std::future_status::deferred;
    // Kept out here: a lookup that waits for a held lock ends once the listener gives up.
    std::future<Tr::TMidiAlias*> lookup;
    std::atomic<bool> asked{false};
    waiter.during = [&] {
        if (asked.exchange(true))
            return;
        lookup = std::async(std::launch::async, [&] {
            return aliases->GetAliasByName(port("Other").c_str(), Tr::AliasMidiOut, 1);
        });
        helper = lookup.wait_for(std::chrono::seconds(10));
    };
    aliases->AddAliasChangeListener(&waiter);
    std::thread changer([&] { aliases->AddAlias(port("Changed").c_str(), "", Tr::AliasMidiOut); });
    changer.join();
    aliases->RemoveAliasChangeListener(&waiter);
    EXPECT_EQ(std::future_status::ready, helper);
}

TEST_F(MidiAliasWiring, ThreadsThatMakeTheSameAliasesAtOnceMakeEachOnce)
{
    int before = aliases->GetCount();
    auto make = [&](int offset) {
        for (int i = 0; i < 100; ++i) {
            aliases->GetAliasByName(port("Shared " + std::to_string(i)).c_str(), Tr::AliasMidiOut, 1);
            aliases->AddAlias(port("Own " + std::to_string(offset + i)).c_str(), "", Tr::AliasMidiIn);
        }
    };
    std::thread first(make, 0);
    std::thread second(make, 1000);
    first.join();
    second.join();
    EXPECT_EQ(before + 300, aliases->GetCount());
    std::set<std::string> names;
    for (int i = before; i < aliases->GetCount(); ++i)
        names.insert(aliases->GetAlias(i)->GetName().c_str() + std::to_string(aliases->GetAlias(i)->GetType()));
    EXPECT_EQ(300u, names.size());
}

// The port box's work on the message thread (a batch that points its alias at a
// port, opens it and closes the others; lookups; saving) against rescans that
// renew the device aliases and the slots' alias lists on the timer thread.
TEST(MidiAliasThreads, RescansOnTheTimerThreadAgainstTheBoxsAliasChanges)
{
    VirtualMidiBackend& midi = freshVirtualMidi();
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    Tr::TMidiAliasManager* aliases = Tr::TMidiAliasManager::instance();
    manager->SetSuspended(0);
    AliasEvents events;
    events.during = [&] { aliases->GetAliasByName("AliasThreads:Box", Tr::AliasMidiOut, 1); };
    aliases->AddAliasChangeListener(&events);
    PortPlugger plugger(midi, "AliasThreads:");
    Tr::BTimer timer(&plugger, 1, 1, "plugger");
    timer.start();

    Tr::TIniFile ini("unused.ini");
    Tr::BString chosen;
    for (int round = 0; round < 60 || plugger.rounds < 20; ++round) {
        chosen = ("AliasThreads:P" + std::to_string(round % 3)).c_str();
        {
            Tr::TMidiAliasBatch batch(*aliases);
            aliases->ModifyAlias("AliasThreads:Box", Tr::AliasMidiOut, "AliasThreads:Box", chosen, true);
            int chosenIndex = manager->GetDevIndex(chosen, 0);
            for (int i = 0, count = manager->GetDevCount(0); i < count; ++i) {
                if (i == chosenIndex)
                    manager->Open(i, 0, 0);
                else
                    manager->Close(i, 0, 0, 1);
            }
        }
        if (round % 5 == 0)
            aliases->saveToIniFile(ini);
    }
    timer.stop();
    ASSERT_TRUE(TrTest::waitUntil([&] { return !timer.isStarted(); }));
    aliases->RemoveAliasChangeListener(&events);
    EXPECT_GT(events.count, 0);
    EXPECT_EQ(chosen, aliases->GetAliasByName("AliasThreads:Box", Tr::AliasMidiOut, 0)->GetDeviceName());
    int boxes = 0;
    for (int i = 0; i < aliases->GetCount(); ++i)
        boxes += aliases->GetAlias(i)->SameAs("AliasThreads:Box", Tr::AliasMidiOut);
    EXPECT_EQ(1, boxes);
}
