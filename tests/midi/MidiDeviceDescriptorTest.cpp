#include "midi/MidiDeviceDescriptor.h"

#include "tests/midi/MidiTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace miditest;
using Tr::MidiDeviceDescriptor;

namespace {

std::unique_ptr<MidiDeviceDescriptor> port(Tr::MidiDeviceFactory* factory, int input, char const* name,
                                           char const* serial = "", char const* interfaceId = "",
                                           int duplicate = 0)
{
    auto desc = std::make_unique<MidiDeviceDescriptor>(factory, input, 3, name, serial, interfaceId, "");
    desc->duplicateNumber = duplicate;
    return desc;
}

using Change = std::function<void(MidiDeviceDescriptor&)>;

} // namespace

TEST(MidiDeviceDescriptor, MatchesByDuplicateNumberWithoutIdsElseByIds)
{
    TestFactory factory;
    TestFactory otherFactory;
    auto withoutIds = port(&factory, 1, "Port", "", "", 2);
    auto withIds = port(&factory, 1, "Port", "0000ABCD", "00A1B2C3", 2);
    struct Case {
        MidiDeviceDescriptor const* remembered;
        Change change;
        bool matches;
    } const cases[] = {
        {withoutIds.get(), [](MidiDeviceDescriptor&) {}, true},
        {withoutIds.get(), [](MidiDeviceDescriptor& d) { d.duplicateNumber = 3; }, false},
        {withoutIds.get(), [](MidiDeviceDescriptor& d) { d.serial = "00000001"; }, true},
        {withoutIds.get(), [](MidiDeviceDescriptor& d) { d.name = "PORT"; }, false},
        {withoutIds.get(), [](MidiDeviceDescriptor& d) { d.input = 0; }, false},
        {withoutIds.get(), [](MidiDeviceDescriptor& d) { d.publicName = "P"; }, false},
        {withoutIds.get(), [&](MidiDeviceDescriptor& d) { d.factory = &otherFactory; }, false},
        {withoutIds.get(), [](MidiDeviceDescriptor& d) { d.factory = nullptr; }, true},
        {withoutIds.get(), [](MidiDeviceDescriptor& d) { d.index = 9; }, true},
        {withIds.get(), [](MidiDeviceDescriptor& d) { d.duplicateNumber = 0; }, true},
        {withIds.get(), [](MidiDeviceDescriptor& d) { d.interfaceId = "00a1b2c3"; }, true},
        {withIds.get(), [](MidiDeviceDescriptor& d) { d.serial = "0000ABCE"; }, false},
        {withIds.get(), [](MidiDeviceDescriptor& d) { d.interfaceId.clear(); }, false},
    };
    int row = 0;
    for (auto const& c : cases) {
        std::unique_ptr<MidiDeviceDescriptor> other(c.remembered->Clone());
        c.change(*other);
        EXPECT_EQ(c.matches, c.remembered->Matches(other.get()) != 0) << "row " << row++;
    }
    EXPECT_FALSE(withIds->Matches(nullptr));
}

TEST(MidiDeviceDescriptor, PairsAreTheTwoDirectionsOfOnePort)
{
    TestFactory factory;
    struct Case {
        std::unique_ptr<MidiDeviceDescriptor> a;
        std::unique_ptr<MidiDeviceDescriptor> b;
        bool paired;
    } cases[] = {
        {port(&factory, 1, "From Synth"), port(&factory, 0, "To Synth"), true},
        {port(&factory, 1, "From Synth"), port(&factory, 1, "To Synth"), false},
        {port(&factory, 1, "From Synth", "", "", 2), port(&factory, 0, "To Synth", "", "", 3), false},
        {port(&factory, 1, "from Synth"), port(&factory, 0, "To Synth"), false},
        {port(&factory, 1, "In", "", "00000001"), port(&factory, 0, "Out", "", "00000001"), true},
        {port(&factory, 1, "Synth", "", "0000000A"), port(&factory, 0, "Synth", "", "0000000a"), false},
    };
    int row = 0;
    for (auto const& c : cases)
        EXPECT_EQ(c.paired, c.a->isPairOf(c.b.get()) != 0) << "row " << row++;
    auto in = port(&factory, 1, "Synth");
    auto out = port(&factory, 0, "Synth");
    out->publicName = "Public";
    EXPECT_FALSE(in->isPairOf(out.get()));
    EXPECT_FALSE(in->isPairOf(nullptr));
}

TEST(MidiDeviceDescriptor, ACloneIsEqualAndEveryFieldCounts)
{
    TestFactory factory;
    auto original = port(&factory, 1, "Port", "1", "2", 2);
    original->publicName = "P";
    original->furtherId = "F";
    std::unique_ptr<MidiDeviceDescriptor> clone(original->Clone());
    EXPECT_TRUE(original->IsEqual(clone.get()));
    Change const changes[] = {
        [](MidiDeviceDescriptor& d) { d.factory = nullptr; }, [](MidiDeviceDescriptor& d) { d.input = 0; },
        [](MidiDeviceDescriptor& d) { d.index = 4; },         [](MidiDeviceDescriptor& d) { d.name = "port"; },
        [](MidiDeviceDescriptor& d) { d.publicName = "p"; },  [](MidiDeviceDescriptor& d) { d.duplicateNumber = 0; },
        [](MidiDeviceDescriptor& d) { d.serial = "x"; },      [](MidiDeviceDescriptor& d) { d.interfaceId = "x"; },
        [](MidiDeviceDescriptor& d) { d.furtherId = "f"; },
    };
    for (auto const& change : changes) {
        std::unique_ptr<MidiDeviceDescriptor> other(original->Clone());
        change(*other);
        EXPECT_FALSE(original->IsEqual(other.get()));
    }
    EXPECT_FALSE(original->IsEqual(nullptr));
}

