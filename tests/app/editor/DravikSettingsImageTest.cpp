#include "app/editor/DravikSettingsImage.h"

#include "foundation/Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A byte string indexed by int like the image layout, bounds-checked.
struct Bytes : std::vector<unsigned char> {
    using std::vector<unsigned char>::vector;
    unsigned char& operator[](int index) { return at(static_cast<size_type>(index)); }
    unsigned char operator[](int index) const { return at(static_cast<size_type>(index)); }
};

// The image with a program combo box of its own and a counted refresh.
class TestImage : public DravikSettingsImage {
public:
    int program = -1;
    int refreshes = 0;
    Bytes imageAtRefresh;

    Bytes working() const
    {
        Bytes bytes(690, 0);
        for (int i = 0; i < 690; ++i)
            bytes[i] = static_cast<unsigned char>(getByte(i));
        return bytes;
    }
    void setStepMode(int mode) { changeStepView(mode, 1); }

    Bytes saved() const
    {
        Bytes out(690, 0xEE);
        saveToMem(out.data(), 690);
        return out;
    }

    // The text of the exception, or "" when the data was taken.
    std::string loadReason(Bytes data)
    {
        try {
            loadFromMem(data.data(), static_cast<int>(data.size()));
        } catch (Tr::Exception const& e) {
            return e.what();
        }
        return "";
    }

protected:
    int currentProgram() const override { return program; }
    void refreshAfterLoad() override
    {
        ++refreshes;
        imageAtRefresh = working();
    }
};

Bytes defaultImage()
{
    return Bytes(DravikDefaultTemplate, DravikDefaultTemplate + DravikDefaultTemplateSize);
}

int block(int program)
{
    return 36 * program - 35;
}

int pedal(int program, int step)
{
    return block(program) + 2 + 2 * step;
}

int whammy(int program, int step)
{
    return block(program) + 3 + 2 * step;
}

std::string invalid(char const* reason)
{
    return std::string("Not a valid template file: ") + reason;
}

Bytes withByte(Bytes data, int index, unsigned char value)
{
    data[index] = value;
    return data;
}

// A loaded image that differs from the default in every program, to see what a failed load leaves.
void loadMarkedImage(TestImage& image)
{
    Bytes data = defaultImage();
    for (int p = 1; p <= 19; ++p)
        data[whammy(p, 0)] = static_cast<unsigned char>(p);
    ASSERT_EQ(image.loadReason(data), "");
}

} // namespace

TEST(DravikSettingsImage, StartsWithTheDefaultTemplate)
{
    TestImage image;
    EXPECT_EQ(image.working(), defaultImage());
    for (int p = 1; p <= 19; ++p)
        EXPECT_EQ(image.getBaseSetting(p), 1);
    EXPECT_EQ(image.saved(), defaultImage());
}

TEST(DravikSettingsImage, TheStepViewChangesWithItsModeOrBaseSetting)
{
    TestImage image;
    EXPECT_TRUE(image.changeStepView(2, 1)) << "the first view";
    EXPECT_FALSE(image.changeStepView(2, 1));
    EXPECT_TRUE(image.changeStepView(2, 3));
    EXPECT_TRUE(image.changeStepView(1, 3));
    EXPECT_FALSE(image.changeStepView(1, 3));
}

TEST(DravikSettingsImage, GlobalValuesAndBytesStayInsideTheImage)
{
    TestImage image;
    for (int index : { 685, 686, 687, 688 }) {
        image.applyGlobalValue(index, 127);
        EXPECT_EQ(image.getByte(index), 127) << index;
    }
    Bytes const before = image.working();
    for (auto [index, value] : { std::pair{ 684, 5 }, { 689, 5 }, { 0, 5 }, { 686, 128 }, { 686, -1 } })
        image.applyGlobalValue(index, value);
    EXPECT_EQ(image.working(), before);
    EXPECT_EQ(image.getByte(-1), -1);
    EXPECT_EQ(image.getByte(690), -1);
    EXPECT_EQ(image.getBaseSetting(0), -1);
    EXPECT_EQ(image.getBaseSetting(20), -1);
    EXPECT_EQ(image.getBaseSetting(-1), -1) << "no current program";
}

TEST(DravikSettingsImage, ProgramTemplateIndex)
{
    TestImage image;
    struct Case {
        int program;
        int current;
        int index;
    };
    for (Case c : {Case{1, -1, 1}, Case{2, -1, 37}, Case{19, -1, 649}, Case{0, -1, -1}, Case{20, -1, -1},
                   Case{-2, 3, -1}, Case{-1, -1, -1}, Case{-1, 3, 73}, Case{-1, 19, 649}, Case{-1, 20, -1}}) {
        image.program = c.current;
        EXPECT_EQ(image.getProgramTemplateIndex(c.program), c.index) << c.program << " current " << c.current;
    }
}

TEST(DravikSettingsImage, RejectsDataWithTheFirstReasonThatApplies)
{
    Bytes const good = defaultImage();
    Bytes badEnd = withByte(good, 689, 0xF6);
    Bytes badMarker = withByte(good, block(7), 8);
    struct Case {
        char const* what;
        Bytes data;
        char const* reason;
    };
    std::vector<Case> const cases = {
        {"empty", Bytes(), "wrong size"},
        {"689 bytes", Bytes(good.begin(), good.end() - 1), "wrong size"},
        {"691 bytes", [&] { Bytes d = good; d.push_back(0xF7); return d; }(), "wrong size"},
        {"546 zero bytes", Bytes(546, 0), "seems to be a Dravik MIDI 2 template"},
        {"546 template bytes", Bytes(good.begin(), good.begin() + 546), "seems to be a Dravik MIDI 2 template"},
        {"last byte 0xF6", badEnd, "MIDI markers missing"},
        {"first byte 0x00", withByte(good, 0, 0), "MIDI markers missing"},
        {"frame before markers", withByte(badEnd, block(7), 8), "MIDI markers missing"},
        {"block 7 starts with 8", badMarker, "invalid program marker"},
        {"block 19 starts with 0", withByte(good, block(19), 0), "invalid program marker"},
        {"marker before data byte", withByte(badMarker, 300, 0x80), "invalid program marker"},
        {"0x81 in byte 1", withByte(good, 1, 0x81), "invalid program marker"},
        {"0x80 in a pedal byte", withByte(good, pedal(3, 4), 0x80), "invalid data byte"},
        {"0xF7 in a Whammy byte", withByte(good, whammy(1, 0), 0xF7), "invalid data byte"},
        {"0xFF in byte 688", withByte(good, 688, 0xFF), "invalid data byte"},
        {"0x80 in byte 685", withByte(good, 685, 0x80), "invalid data byte"},
    };
    for (Case const& c : cases) {
        TestImage image;
        EXPECT_EQ(image.loadReason(c.data), invalid(c.reason)) << c.what;
        EXPECT_EQ(image.refreshes, 0) << c.what;
    }
}

TEST(DravikSettingsImage, NullDataIsTheWrongSize)
{
    TestImage image;
    for (int length : {0, 546, 690}) {
        try {
            image.loadFromMem(nullptr, length);
            ADD_FAILURE() << "no exception for length " << length;
        } catch (Tr::Exception const& e) {
            EXPECT_EQ(std::string(e.what()), invalid("wrong size"));
        }
    }
}

TEST(DravikSettingsImage, FailedLoadChangesNothing)
{
    TestImage image;
    loadMarkedImage(image);
    Bytes const before = image.working();
    Bytes data = defaultImage();
    data[block(5) + 1] = 5;
    data[688] = 0x90;
    EXPECT_EQ(image.loadReason(data), invalid("invalid data byte"));
    EXPECT_EQ(image.working(), before);
    for (int p = 1; p <= 19; ++p)
        EXPECT_EQ(image.getBaseSetting(p), p);
    EXPECT_EQ(image.refreshes, 1);
}

TEST(DravikSettingsImage, LoadRefreshesOnceWithTheNewImage)
{
    TestImage image;
    Bytes data = withByte(defaultImage(), 688, 3);
    ASSERT_EQ(image.loadReason(data), "");
    EXPECT_EQ(image.refreshes, 1);
    EXPECT_EQ(image.imageAtRefresh, data);
}

TEST(DravikSettingsImage, DefaultTemplateRoundTripsByteForByte)
{
    TestImage image;
    loadMarkedImage(image);
    ASSERT_EQ(image.loadReason(defaultImage()), "");
    EXPECT_EQ(image.working(), defaultImage());
    EXPECT_EQ(image.saved(), defaultImage());
}

TEST(DravikSettingsImage, DifferentSettingsProgramKeepsItsWhammyBytesAndDropsPedalPositions)
{
    Bytes data = defaultImage();
    data[block(1) + 1] = 5;
    for (int step = 0; step < 16; ++step) {
        data[pedal(1, step)] = static_cast<unsigned char>(step + 1);
        data[whammy(1, step)] = 32;
    }
    TestImage image;
    ASSERT_EQ(image.loadReason(data), "");
    EXPECT_EQ(image.getBaseSetting(1), 1);
    Bytes const out = image.saved();
    for (int step = 0; step < 16; ++step) {
        EXPECT_EQ(image.working()[pedal(1, step)], 0);
        EXPECT_EQ(out[pedal(1, step)], 0);
        EXPECT_EQ(out[whammy(1, step)], 32);
    }
}

TEST(DravikSettingsImage, OtherProgramTypesTakeTheBaseSettingFromStepZero)
{
    Bytes data = defaultImage();
    data[whammy(2, 0)] = 3;
    for (int step = 1; step < 16; ++step) {
        data[whammy(2, step)] = 7;
        data[pedal(2, step)] = static_cast<unsigned char>(8 * step);
    }
    TestImage image;
    ASSERT_EQ(image.loadReason(data), "");
    EXPECT_EQ(image.getBaseSetting(2), 3);
    Bytes const out = image.saved();
    for (int step = 0; step < 16; ++step) {
        EXPECT_EQ(image.working()[whammy(2, step)], 1) << "starting value for a switch to Different Settings";
        EXPECT_EQ(out[whammy(2, step)], 3);
        EXPECT_EQ(out[pedal(2, step)], data[pedal(2, step)]);
    }
}

TEST(DravikSettingsImage, ValuesOutsideTheTablesAreKept)
{
    Bytes data = defaultImage();
    data[block(4) + 1] = 4;
    data[block(4) + 34] = 1;
    data[block(4) + 35] = 5;
    data[688] = 20;
    data[687] = 127;
    TestImage image;
    ASSERT_EQ(image.loadReason(data), "");
    EXPECT_EQ(image.saved(), data);
}

TEST(DravikSettingsImage, SavingTwiceGivesTheSameBytesAndLeavesTheImage)
{
    TestImage image;
    image.program = 6;
    image.applyProgramValue(0, 99);
    image.applyProgramValue(1, 5);
    image.setStepMode(2);
    image.applyStep(0, 40, 6);
    Bytes const before = image.working();
    ASSERT_EQ(before[block(6)], 99);
    Bytes const first = image.saved();
    EXPECT_EQ(image.saved(), first);
    EXPECT_EQ(image.working(), before);
    EXPECT_EQ(first[block(6)], 6);
    EXPECT_EQ(first[pedal(6, 0)], 0);
}

TEST(DravikSettingsImage, SaveWithAnotherLengthWritesNothing)
{
    TestImage image;
    for (int length : {0, 546, 689, 691, -1}) {
        Bytes out(700, 0xEE);
        image.saveToMem(out.data(), length);
        EXPECT_EQ(out, Bytes(700, 0xEE)) << length;
    }
    image.saveToMem(nullptr, 690);
}

TEST(DravikSettingsImage, ApplyProgramValueWritesOnlyDataBytesInsideTheCurrentBlock)
{
    struct Case {
        int current;
        int offset;
        int value;
        bool written;
    };
    for (Case c : {Case{3, 1, 2, true}, Case{3, 0, 0, true}, Case{3, 35, 127, true}, Case{19, 34, 9, true},
                   Case{-1, 1, 2, false}, Case{3, -1, 2, false}, Case{3, 36, 2, false}, Case{19, 36, 2, false},
                   Case{3, 1, -1, false}, Case{3, 1, 128, false}, Case{3, 1, 255, false}}) {
        TestImage image;
        image.program = c.current;
        image.applyProgramValue(c.offset, c.value);
        Bytes expected = defaultImage();
        if (c.written)
            expected[block(c.current) + c.offset] = static_cast<unsigned char>(c.value);
        EXPECT_EQ(image.working(), expected) << c.current << "/" << c.offset << "/" << c.value;
    }
}

TEST(DravikSettingsImage, ApplyStepWritesTheByteOfTheStepMode)
{
    struct Case {
        int mode;
        int step;
        int value;
        int program;
        int byte; // -1: nothing written
    };
    for (Case c : {Case{1, 0, 32, 4, whammy(4, 0)}, Case{2, 0, 32, 4, pedal(4, 0)}, Case{0, 15, 127, 4, pedal(4, 15)},
                   Case{1, 15, 9, -1, whammy(8, 15)}, Case{2, 3, 0, 19, pedal(19, 3)}, Case{2, -1, 5, 4, -1},
                   Case{2, 16, 5, 4, -1}, Case{1, 16, 5, 19, -1}, Case{2, 0, 128, 4, -1}, Case{2, 0, -1, 4, -1},
                   Case{2, 0, 5, 0, -1}, Case{2, 0, 5, 20, -1}}) {
        TestImage image;
        image.program = 8;
        image.setStepMode(c.mode);
        Bytes expected = image.working();
        image.applyStep(c.step, c.value, c.program);
        if (c.byte >= 0)
            expected[c.byte] = static_cast<unsigned char>(c.value);
        EXPECT_EQ(image.working(), expected) << c.mode << "/" << c.step << "/" << c.value << "/" << c.program;
    }
}

TEST(DravikSettingsImage, ApplyStepWithoutCurrentProgramDoesNothing)
{
    TestImage image;
    image.setStepMode(2);
    image.applyStep(0, 5, -1);
    EXPECT_EQ(image.working(), defaultImage());
}

TEST(DravikSettingsImage, ResetStepsClearsOnlyThePedalPositionsOfOneProgram)
{
    Bytes data = defaultImage();
    for (int p = 1; p <= 19; ++p) {
        for (int step = 0; step < 16; ++step)
            data[pedal(p, step)] = 77;
    }
    TestImage image;
    ASSERT_EQ(image.loadReason(data), "");
    image.resetSteps(9);
    image.program = 10;
    image.resetSteps(-1);
    image.resetSteps(0);
    image.resetSteps(20);
    for (int p = 9; p <= 10; ++p) {
        for (int step = 0; step < 16; ++step)
            data[pedal(p, step)] = 0;
    }
    EXPECT_EQ(image.working(), data);
}

TEST(DravikSettingsImage, ApplyBaseSettingStoresForTheProgramOrTheCurrentOne)
{
    TestImage image;
    image.program = 5;
    image.applyBaseSetting(9, 2);
    image.applyBaseSetting(20, 0);
    image.applyBaseSetting(12, -1);
    image.applyBaseSetting(7, 20);
    image.applyBaseSetting(128, 3);
    image.applyBaseSetting(-1, 3);
    EXPECT_EQ(image.getBaseSetting(2), 9);
    EXPECT_EQ(image.getBaseSetting(5), 12);
    EXPECT_EQ(image.getBaseSetting(3), 1);
    EXPECT_EQ(image.working(), defaultImage());
    Bytes const out = image.saved();
    for (int step = 0; step < 16; ++step) {
        EXPECT_EQ(out[whammy(2, step)], 9);
        EXPECT_EQ(out[whammy(5, step)], 12);
        EXPECT_EQ(out[whammy(3, step)], 1);
    }
}

TEST(DravikSettingsImage, ApplyBaseSettingWithoutCurrentProgramDoesNothing)
{
    TestImage image;
    image.applyBaseSetting(9, 0);
    image.applyBaseSetting(9, -1);
    EXPECT_EQ(image.saved(), defaultImage());
}

TEST(DravikSettingsImage, EditedImageIsReadBackAsWritten)
{
    TestImage image;
    image.program = 12;
    image.applyProgramValue(1, 2);
    image.applyProgramValue(34, 4);
    image.applyProgramValue(35, 90);
    image.applyBaseSetting(9, -1);
    image.resetSteps(-1);
    image.setStepMode(2);
    image.applyStep(2, 42, -1);
    Bytes const written = image.saved();

    TestImage reader;
    ASSERT_EQ(reader.loadReason(written), "");
    EXPECT_EQ(reader.getBaseSetting(12), 9);
    EXPECT_EQ(reader.saved(), written);
}
