#include "midi/MidiDeviceFactory.h"

#include "tests/foundation/TestClock.h"
#include "tests/foundation/WaitUntil.h"
#include "tests/midi/MidiTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using namespace miditest;

namespace {

class CountedDescriptor : public Tr::MidiDeviceDescriptor {
public:
    explicit CountedDescriptor(int& deleted) : deleted(deleted) {}
    ~CountedDescriptor() override { ++deleted; }

private:
    int& deleted;
};
} // namespace

TEST(MidiDeviceFactory, EqualNamesAreNumberedInListOrder)
{
    TestFactory factory;
    factory.outputs = {{"A"}, {"a"}, {"A"}, {"B"}};
    EXPECT_EQ((std::vector<std::string>{"A", "a (2)", "A (3)", "B"}), factory.displayNames(0));
    std::vector<int> numbers;
    for (int i = 0; i < 4; ++i)
        numbers.push_back(factory.getDevice(false, i)->duplicateNumber);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 0}), numbers);
}

TEST(MidiDeviceFactory, PortsEqualInNameAndIdsGetTheirNumberIntoTheName)
{
    TestFactory factory;
    factory.inputs = {{"Port", "0000000A", "000000B0"}, {"Port", "0000000A", "000000B0"}, {"Port", "0000000C", "000000B0"}};
    factory.outputs = {{"Port", "0000000A", "000000B0"}};
    EXPECT_EQ((std::vector<std::string>{"Port 1", "Port 2", "Port (3)"}), factory.displayNames(1));
    EXPECT_EQ((std::vector<std::string>{"Port"}), factory.displayNames(0));
    EXPECT_EQ(0, factory.getDevice(true, 0)->duplicateNumber);
}

// Two "Synth" beside a "Synth 2": every port keeps a name of its own, and a port
// whose own name collides with nothing keeps it.
TEST(MidiDeviceFactory, ANumberThatWouldShowATwinUnderAnotherPortsNameIsPassedOver)
{
    struct {
        char const* name;
        std::vector<PortSpec> ports;
        std::vector<std::string> shown;
    } const cases[] = {
        {"twins with ids", {{"Synth", "0000000A", "000000B0"}, {"Synth", "0000000A", "000000B0"}, {"Synth 2"}},
         {"Synth 1", "Synth 3", "Synth 2"}},
        {"twins without ids", {{"Synth"}, {"Synth"}, {"Synth (2)"}}, {"Synth", "Synth (3)", "Synth (2)"}},
        {"three twins and two taken numbers",
         {{"A", "0000000A", "000000B0"}, {"A 2"}, {"A", "0000000A", "000000B0"}, {"A 3"}, {"A", "0000000A", "000000B0"}},
         {"A 1", "A 2", "A 4", "A 3", "A 5"}},
        {"a number that renamed twins give up is taken again",
         {{"Synth", "A", "B"}, {"Synth", "A", "B"}, {"Synth 2"}, {"Synth 3", "C", "D"}, {"Synth 3", "C", "D"}, {"Synth", "A", "B"}},
         {"Synth 1", "Synth 4", "Synth 2", "Synth 3 1", "Synth 3 2", "Synth 3"}},
        {"two pairs of twins of one name, interleaved; ids ignore case",
         {{"X", "A", "B"}, {"X", "C", "D"}, {"X", "a", "b"}, {"X", "C", "D"}, {"X 3"}},
         {"X 1", "X 2", "X 4", "X 5", "X 3"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        TestFactory factory;
        factory.outputs = c.ports;
        EXPECT_EQ(c.shown, factory.displayNames(0));
    }
}

// Crafted names: many alike ports beside ports that bear the numbers the alike ones
// would get. When each number tried measured every port's name, such a list took
// seconds (some 10^8 names at 500 of each); now about 2 ms, 20 ms under the sanitizers.
TEST(MidiDeviceFactory, CraftedRunsOfTakenNumbersAreNumberedInTimeNearLinear)
{
    int const alike = 500;
    TestFactory factory;
    std::vector<std::string> expected;
    for (int i = 1; i <= alike; ++i) {
        factory.outputs.emplace_back("X", "0000000A", "000000B0");
        expected.push_back("X " + std::to_string(i == 1 ? 1 : alike + i));
    }
    for (int i = 1; i <= alike; ++i) {
        factory.outputs.emplace_back("Y");
        expected.push_back(i == 1 ? "Y" : "Y (" + std::to_string(alike + i) + ")");
    }
    for (int i = 2; i <= alike + 1; ++i)
        for (std::string taken : {"X " + std::to_string(i), "Y (" + std::to_string(i) + ")"}) {
            factory.outputs.emplace_back(taken);
            expected.push_back(taken);
        }
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> shown = factory.displayNames(0);
    EXPECT_LT(TrTest::millisSince(start), 1000);
    EXPECT_EQ(expected, shown);
}

TEST(MidiDeviceFactory, TheCacheIsRebuiltAfter1500MillisecondsOfQuiet)
{
    TestFactory factory;
    TrTest::TestClock clock;
    factory.requireCache();
    EXPECT_EQ((std::vector<int>{0, 1}), factory.rebuilt);
    for (unsigned int offset : {1000u, 2000u, 3000u}) {
        clock.set(offset);
        factory.requireCache();
    }
    EXPECT_EQ(2u, factory.rebuilt.size());
    clock.set(4600);
    factory.GetNumDevs(0);
    EXPECT_EQ(4u, factory.rebuilt.size());
    factory.InvalidateCache();
    factory.requireCache();
    EXPECT_EQ(6u, factory.rebuilt.size());
}

TEST(MidiDeviceFactory, AFirstRequestAtClockReadingZeroCounts)
{
    TrTest::TestClock clock;
    for (int attempt = 0; attempt < 100; ++attempt) {
        TestFactory factory;
        clock.set(0);
        unsigned int zero = 0u - Tr::getMilliTime();
        clock.set(zero);
        factory.requireCache();
        if (factory.lastRequestTime() != 0)
            continue;
        clock.set(zero + 100);
        factory.requireCache();
        EXPECT_EQ(2u, factory.rebuilt.size());
        return;
    }
    FAIL() << "the clock never read 0 at a request";
}

TEST(MidiDeviceFactory, DeviceListsAreClonesThatReplaceWhatTheListHeld)
{
    TestFactory factory;
    factory.outputs = {{"One"}, {"Two"}};
    int deleted = 0;
    Tr::BList<Tr::MidiDeviceDescriptor*> list;
    for (int i = 0; i < 3; ++i)
        list.add(new CountedDescriptor(deleted));
    factory.GetDeviceList(0, list);
    EXPECT_EQ(3, deleted);
    ASSERT_EQ(2, list.count);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(factory.getDevice(false, i), list.items[i]);
        EXPECT_TRUE(factory.getDevice(false, i)->IsEqual(list.items[i]));
    }
    list.clearAndDelete();
}

TEST(MidiDeviceFactory, NameListsCarryTheIndexAndLeaveOutEmptyPublicNames)
{
    TestFactory factory;
    factory.inputs = {{"In 1", "", "", "Public 1"}, {"In 2"}};
    Tr::TStringList names;
    factory.GetDeviceList(1, names);
    ASSERT_EQ(2, names.GetCount());
    EXPECT_EQ(reinterpret_cast<void*>(1), names.GetObject(1));
    Tr::TStringList publicNames;
    factory.GetPublicDeviceNameList(1, publicNames);
    ASSERT_EQ(1, publicNames.GetCount());
    EXPECT_STREQ("Public 1", publicNames.GetString(0).c_str());
}

