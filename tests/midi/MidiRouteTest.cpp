#include "midi/TMidiRouter.h"

#include "tests/midi/MidiAliasTestSupport.h"

#include <algorithm>
#include <memory>
#include <thread>

using namespace miditest;

namespace {

struct RouteEvents : Tr::TMidiRouteChangeListener {
    void OnMidiRouteListChanged() override
    {
        ++count;
        toldOn = std::this_thread::get_id();
    }

    std::atomic<int> count{0};
    std::thread::id toldOn;
};

// The process's router with no valid route from earlier tests, and the test's own aliases.
class MidiRouter : public AliasTest {
protected:
    void SetUp() override
    {
        AliasTest::SetUp();
        router->RemoveAll();
        router->AddRouteChangeListener(&routeEvents);
    }

    void TearDown() override
    {
        router->RemoveRouteChangeListener(&routeEvents);
        AliasTest::TearDown();
    }

    Tr::TMidiAlias* in(std::string const& local) { return aliases->GetAliasByName(name(local), Tr::AliasMidiIn, 1); }
    Tr::TMidiAlias* out(std::string const& local) { return aliases->GetAliasByName(name(local), Tr::AliasMidiOut, 1); }

    Tr::TMidiAlias* removed(Tr::TMidiAlias* alias)
    {
        aliases->RemoveAlias(aliases->IndexOfByRef(alias));
        return alias;
    }

    Tr::TMidiRoute* route(int index) { return routes.GetRoute(index); }

    // "input > output" of the test's own alias names.
    std::string joined(char const* input, char const* output) const { return prefix + input + " > " + prefix + output; }

    std::string names(Tr::TMidiRoute* route)
    {
        return route->GetInputName().c_str() + std::string(" > ") + route->GetOutputName().c_str();
    }

    // The back-end is chosen before the router makes the manager, whose threads start at once.
    VirtualMidiBackend& backend = freshVirtualMidi();
    Tr::TMidiRouter* router = Tr::TMidiRouter::instance();
    Tr::TMidiRoutes const& routes = router->GetRoutes();
    RouteEvents routeEvents;
};

std::vector<std::string> keysOf(Tr::TIniFile const& ini)
{
    Tr::TStringList keys;
    ini.ReadSectionKeys("MIDI.routes", keys);
    std::vector<std::string> names;
    for (int i = 0; i < keys.GetCount(); ++i)
        names.push_back(keys.GetString(i).c_str());
    std::sort(names.begin(), names.end());
    return names;
}

struct CountedRoute : Tr::TMidiRoute {
    explicit CountedRoute(int& deleted) : TMidiRoute(0, nullptr, nullptr), deleted(deleted) {}
    ~CountedRoute() override { ++deleted; }
    int& deleted;
};

} // namespace

TEST_F(MidiRouter, AddRouteJoinsAnInputToAnOutputOnceAndRefusesAnythingElse)
{
    struct {
        char const* what;
        Tr::TMidiAlias* input;
        Tr::TMidiAlias* output;
    } const refused[] = {
        {"input of type MIDI OUT", out("A"), out("B")},
        {"output of type MIDI IN", in("A"), in("B")},
        {"no input", nullptr, out("B")},
        {"no output", in("A"), nullptr},
        {"removed input", removed(in("Gone")), out("B")},
        {"removed output", in("A"), removed(out("Gone"))},
    };
    int count = routes.GetCount();
    routeEvents.count = 0;
    for (auto const& c : refused) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(-1, router->AddRoute(c.input, c.output));
    }
    EXPECT_EQ(count, routes.GetCount());
    EXPECT_EQ(0, routeEvents.count);

    int index = router->AddRoute(in("A"), out("B"));
    EXPECT_EQ(count, index);
    EXPECT_EQ(index, router->AddRoute(in("A"), out("B")));
    EXPECT_EQ(count + 1, routes.GetCount());
    EXPECT_EQ(1, routeEvents.count);
    EXPECT_EQ(count, route(index)->GetNumber());
    EXPECT_EQ(joined("A", "B"), names(route(index)));
    Tr::TMidiAlias* serial = aliases->GetAlias(aliases->AddAlias(name("Serial"), "ttyS0", Tr::AliasSerial));
    EXPECT_EQ(count + 1, router->AddRoute(serial, out("B")));
}

TEST_F(MidiRouter, RemovingAnAliasMakesItsRoutesInvalidAtTheNextAliasChange)
{
    Tr::TMidiAlias* input = in("In");
    Tr::TMidiAlias* output = out("Out");
    int lost = router->AddRoute(input, output);
    int kept = router->AddRoute(input, out("Other"));
    routeEvents.count = 0;

    aliases->AddAlias(name("Unrelated"), "", Tr::AliasMidiOut);
    EXPECT_EQ(0, routeEvents.count);
    removed(output);
    EXPECT_EQ(1, routeEvents.count);
    EXPECT_EQ(1, router->GetValidCount());
    input->SetMidiManagerDev(3, 0);
    EXPECT_EQ(-1, route(lost)->GetInputAliasUserID());
    EXPECT_EQ(3, route(kept)->GetInputAliasUserID());
    EXPECT_EQ("", std::string(route(lost)->GetInputName().c_str()));
    EXPECT_EQ(-1, router->IndexOf(input, output));
    EXPECT_TRUE(router->IsAliasUsed(output)) << "an invalid route keeps its output";
    EXPECT_FALSE(router->IsAliasUsed(nullptr));
}

TEST_F(MidiRouter, RemoveRouteMakesAValidRouteInvalidOnceAndRemoveAllTellsOnce)
{
    int first = router->AddRoute(in("A"), out("X"));
    int second = router->AddRoute(in("A"), out("Y"));
    router->AddRoute(in("B"), out("Y"));
    routeEvents.count = 0;

    EXPECT_FALSE(router->RemoveRoute(-1));
    EXPECT_FALSE(router->RemoveRoute(routes.GetCount()));
    EXPECT_TRUE(router->RemoveRoute(first));
    EXPECT_FALSE(router->RemoveRoute(first));
    EXPECT_TRUE(router->RemoveRoute(in("A"), out("Y")));
    EXPECT_FALSE(route(second)->IsValid());
    EXPECT_FALSE(router->RemoveRoute(in("A"), nullptr));
    EXPECT_EQ(2, routeEvents.count);

    router->RemoveAll();
    router->RemoveAll();
    EXPECT_EQ(3, routeEvents.count);
    EXPECT_EQ(0, router->GetValidCount());
}

TEST_F(MidiRouter, ModifyRouteTakesOtherAliasesOrAddsARouteByTheirNames)
{
    Tr::TMidiRoute* modified = route(router->AddRoute(in("A"), out("X")));
    int count = routes.GetCount();
    routeEvents.count = 0;

    router->ModifyRoute(modified, in("A"), out("X"));
    router->ModifyRoute(modified, in("A"), nullptr);
    router->ModifyRoute(modified, out("Y"), out("X"));
    router->ModifyRoute(nullptr, nullptr, out("X"));
    router->ModifyRoute(nullptr, in("A"), in("B"));
    EXPECT_EQ(0, routeEvents.count);
    EXPECT_EQ(count, routes.GetCount());
    EXPECT_EQ(joined("A", "X"), names(modified));

    router->ModifyRoute(modified, in("B"), out("Y"));
    EXPECT_EQ(1, routeEvents.count);
    EXPECT_EQ(joined("B", "Y"), names(modified));
    router->ModifyRoute(nullptr, in("C"), out("Z"));
    EXPECT_EQ(2, routeEvents.count);
    ASSERT_EQ(count + 1, routes.GetCount());
    EXPECT_EQ(joined("C", "Z"), names(route(count)));
}

TEST_F(MidiRouter, ABatchTellsOnceAtItsOutermostEndAndOnlyForItsOwnThread)
{
    router->EndUpdate();
    router->BeginUpdate();
    router->BeginUpdate();
    router->AddRoute(in("A"), out("X"));
    router->AddRoute(in("A"), out("Y"));
    router->EndUpdate();
    router->RemoveRoute(in("A"), out("X"));
    EXPECT_EQ(0, routeEvents.count);
    std::thread other([&] { router->AddRoute(in("B"), out("X")); });
    std::thread::id otherId = other.get_id();
    other.join();
    EXPECT_EQ(1, routeEvents.count);
    EXPECT_EQ(otherId, routeEvents.toldOn);
    router->EndUpdate();
    EXPECT_EQ(2, routeEvents.count);
    EXPECT_EQ(std::this_thread::get_id(), routeEvents.toldOn);

    router->BeginUpdate();
    router->AddRoute(in("A"), out("Y"));
    router->RemoveRoute(in("A"), out("X"));
    router->EndUpdate();
    EXPECT_EQ(2, routeEvents.count) << "a batch without a change tells nobody";
}

TEST_F(MidiRouter, SavingWritesTheValidRoutesRenumberedAndLoadingThemBackRestoresThem)
{
    router->AddRoute(in("A"), out("X"));
    router->AddRoute(in("B"), out("Y"));
    router->AddRoute(in("C, with comma"), out("Z"));
    router->RemoveRoute(in("B"), out("Y"));
    Tr::TIniFile ini("unused.ini");
    for (char const* key : {"In2", "Out2", "In3", "Out3", "Other"})
        ini.WriteString("MIDI.routes", key, "old");

    router->SaveToIni(ini);
    Tr::TIniFile saved("unused.ini");
    router->SaveToIni(saved);
    EXPECT_EQ((std::vector<std::string>{"In0", "In1", "Other", "Out0", "Out1"}), keysOf(ini));
    EXPECT_EQ(name("C, with comma"), ini.ReadString("MIDI.routes", "In1", ""));

    int count = routes.GetCount();
    routeEvents.count = 0;
    router->BeginUpdate();
    router->LoadFromIni(ini);
    router->EndUpdate();
    EXPECT_EQ(1, routeEvents.count);
    ASSERT_EQ(count + 2, routes.GetCount());
    EXPECT_EQ(2, router->GetValidCount());
    EXPECT_EQ(joined("A", "X"), names(route(count)));
    EXPECT_EQ(joined("C, with comma", "Z"), names(route(count + 1)));
    EXPECT_EQ(count + 1, route(count + 1)->GetNumber());
    Tr::TIniFile again("unused.ini");
    router->SaveToIni(again);
    EXPECT_STREQ(saved.GetSection("MIDI.routes").GetText().c_str(), again.GetSection("MIDI.routes").GetText().c_str());
}

TEST_F(MidiRouter, LoadingStopsAtTheFirstMissingInKeyAndKeepsIllegalNamesAsInvalidRoutes)
{
    router->AddRoute(in("Earlier"), out("X"));
    Tr::TIniFile ini("unused.ini");
    struct {
        char const* in;
        char const* out;
    } const entries[] = {{"In\"quoted", "X"}, {"", "X"}, {"A", nullptr}, {"A", "Y"}};
    for (int i = 0; i < 4; ++i) {
        ini.WriteString("MIDI.routes", "In" + Tr::BString::fromInt(i), entries[i].in);
        if (entries[i].out)
            ini.WriteString("MIDI.routes", "Out" + Tr::BString::fromInt(i), name(entries[i].out));
    }
    ini.WriteString("MIDI.routes", "In5", name("Beyond the gap"));
    ini.WriteString("MIDI.routes", "Out5", name("X"));
    int count = routes.GetCount();

    router->LoadFromIni(ini);
    EXPECT_EQ(count + 4, routes.GetCount());
    EXPECT_EQ(1, router->GetValidCount());
    EXPECT_EQ("A > " + prefix + "Y", names(route(count + 3)));
    EXPECT_EQ(" > ", names(route(count)));
    EXPECT_FALSE(aliases->Exists(name("Beyond the gap"), Tr::AliasMidiIn));
    EXPECT_EQ(Tr::AliasMidiIn, aliases->GetAliasByName("A", Tr::AliasMidiIn, 0)->GetType());
}

// The collection on its own: the queries that the MIDI IN slots and callers use.
TEST_F(MidiRouter, QueriesSelectValidRoutesByInputAndGiveEachThruOutputOnce)
{
    Tr::TMidiAlias* a = in("A");
    Tr::TMidiAlias* b = in("B");
    Tr::TMidiAlias* x = out("X");
    Tr::TMidiAlias* y = out("Y");
    for (auto [alias, slot] : {std::pair{a, 0}, {b, 1}, {x, 0}, {y, 1}})
        alias->SetMidiManagerDev(slot, 0);
    Tr::TMidiRoute made[] = {{0, a, x}, {1, a, y}, {2, b, x}, {3, a, x}, {4, nullptr, y}};
    Tr::TMidiRoutes collection;
    for (Tr::TMidiRoute& route : made)
        collection.AddRouteImpl(&route);

    auto thru = [&](int id) {
        Tr::TMidiAliasList list;
        list.Add(a);
        collection.GetOutAliasesByInUserID(id, list);
        return std::vector<Tr::TMidiAlias*>(list.items, list.items + list.count);
    };
    EXPECT_EQ((std::vector<Tr::TMidiAlias*>{x, y}), thru(0));
    EXPECT_EQ((std::vector<Tr::TMidiAlias*>{x}), thru(1));
    EXPECT_EQ((std::vector<Tr::TMidiAlias*>{}), thru(-1));
    EXPECT_EQ((std::vector<Tr::TMidiAlias*>{}), thru(2));
    EXPECT_TRUE(collection.ContainsInUserID(1));
    EXPECT_FALSE(collection.ContainsInUserID(-1));

    Tr::TMidiRouteList found;
    collection.GetRoutesByInputAlias(a, found);
    EXPECT_EQ(3, found.GetCount());
    collection.GetRoutesByInputName(name("b").c_str(), found);
    ASSERT_EQ(1, found.GetCount());
    EXPECT_EQ(&made[2], found.GetRoute(0));
    collection.GetRoutesByInUserID(-1, found);
    EXPECT_EQ(0, found.GetCount()) << "the invalid route's id of -1 selects nothing";
    collection.GetRoutesByInUserID(0, found);
    EXPECT_EQ(3, found.GetCount());
    found.Delete(0);
    EXPECT_EQ(&made[1], found.GetRoute(0));
    found.Clear();
    EXPECT_EQ(0, found.GetCount());
    EXPECT_EQ(5, collection.GetCount());
    EXPECT_EQ(4, collection.GetCountOfValid());
    EXPECT_EQ(3, collection.IndexOf(&made[3]));
    EXPECT_EQ(0, collection.IndexOf(a, x));
    EXPECT_EQ(-1, collection.IndexOf(nullptr, y));
}

TEST(MidiRouteList, DeletesRoutesOnlyWhenItOwnsThem)
{
    int deleted = 0;
    CountedRoute kept(deleted);
    {
        Tr::TMidiRouteList list;
        list.AddRouteImpl(&kept);
        list.Delete(0);
        list.AddRouteImpl(&kept);
    }
    EXPECT_EQ(0, deleted);
    Tr::TMidiRouteList owning;
    owning.SetOwnsRoutes(1);
    for (int i = 0; i < 3; ++i)
        owning.AddRouteImpl(new CountedRoute(deleted));
    owning.Delete(1);
    EXPECT_EQ(1, deleted);
    owning.Clear();
    EXPECT_EQ(3, deleted);
}
