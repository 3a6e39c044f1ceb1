#include "tests/app/editor/gui/PanelTestSupport.h"

namespace {

size_t block(int program)
{
    return size_t(36 * program - 35);
}

size_t pedal(int program, int step)
{
    return block(program) + size_t(2 + 2 * step);
}

size_t whammy(int program, int step)
{
    return block(program) + size_t(3 + 2 * step);
}

// A stored image whose programs differ from the template where a test needs it.
Bytes imageWith(std::initializer_list<std::pair<size_t, int>> bytes)
{
    Bytes image = defaultTemplate();
    for (auto [index, value] : bytes)
        image[index] = (unsigned char) value;
    return image;
}

// Whammy setting of all 16 steps: how a file stores a program's base setting.
void setBaseSetting(Bytes& image, int program, int value)
{
    for (int step = 0; step < 16; ++step)
        image[whammy(program, step)] = (unsigned char) value;
}

} // namespace

class PanelEditingTest : public PanelTest {
protected:
    void openImage(Bytes const& image)
    {
        startPanel();
        auto file = writeFile("edit.syx", image);
        panel->load(file.getFullPathName());
    }

    void expectSteps(std::initializer_list<char const*> texts)
    {
        int k = 0;
        for (auto* text : texts) {
            SCOPED_TRACE(k);
            EXPECT_EQ(stepBox(k++)->getText(), text);
        }
    }
};

TEST_F(PanelEditingTest, ChoosingAProgramShowsItAndChangesNeitherImageNorTitle)
{
    auto image = imageWith({ { block(2) + 1, 3 }, { block(2) + 34, 7 }, { pedal(2, 0), 42 } });
    openImage(image);
    auto titleBefore = title();
    EXPECT_EQ(programBox()->getText(), "Program 1");

    choose(programBox(), "Program 2");

    EXPECT_EQ(programTypeBox()->getText(), "Step Portamento");
    EXPECT_EQ(stepCountBox()->getText(), "7 Steps");
    EXPECT_EQ(durationBox()->getSelectedId(), 0) << "a step type has no duration";
    EXPECT_EQ(stepBox(0)->getText(), "3rd || +4 half steps");
    EXPECT_EQ(storedImage(), image);
    EXPECT_EQ(title(), titleBefore);
    EXPECT_FALSE(panel->isModified());
}

TEST_F(PanelEditingTest, DifferentSettingsShowsStartingValuesAndSwitchingBackShowsThePedalPositions)
{
    auto image = imageWith({ { block(3) + 1, 2 }, { pedal(3, 0), 42 }, { pedal(3, 1), 127 } });
    openImage(image);
    choose(programBox(), "Program 3");

    choose(programTypeBox(), "Different Settings");

    EXPECT_EQ(baseSettingBox()->getSelectedId(), 0) << "it shows [not applicable]";
    EXPECT_FALSE(baseSettingBox()->isEnabled());
    EXPECT_EQ(durationBox()->getSelectedId(), 0) << "it shows [n/a]";
    EXPECT_FALSE(durationBox()->isEnabled());
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(stepBox(k)->getNumItems(), 42);
        EXPECT_EQ(stepBox(k)->getText(), "Octave Up - ON");
    }

    choose(programTypeBox(), "Loop Portamento");

    EXPECT_EQ(baseSettingBox()->getText(), "Octave Up");
    EXPECT_TRUE(baseSettingBox()->isEnabled());
    EXPECT_EQ(durationBox()->getText(), "0.50");
    EXPECT_TRUE(durationBox()->isEnabled());
    expectSteps({ "3rd || +4 half steps", "Octave || +12 half steps", "Unison" });
    EXPECT_EQ(storedImage(), image) << "the pedal positions stayed in the image";
}

TEST_F(PanelEditingTest, StepsOfDifferentSettingsWriteTheirWhammySetting)
{
    openImage(imageWith({ { block(1) + 1, 5 } }));

    choose(stepBox(0), "Deep Detune - OFF");

    auto stored = storedImage();
    EXPECT_EQ(stored[whammy(1, 0)], 31);
    EXPECT_EQ(stored[pedal(1, 0)], 0);
}

TEST_F(PanelEditingTest, DiveBombResetsThePedalPositionsToUnison)
{
    openImage(imageWith({ { pedal(1, 0), 42 }, { pedal(1, 15), 127 } }));

    choose(baseSettingBox(), "Dive Bomb");

    auto stored = storedImage();
    for (int k = 0; k < 16; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(stepBox(k)->getNumItems(), 37);
        EXPECT_EQ(stepBox(k)->getText(), "Unison");
        EXPECT_EQ(stored[pedal(1, k)], 0);
        EXPECT_EQ(stored[whammy(1, k)], 9);
    }
}

TEST_F(PanelEditingTest, StepCountDisablesTheLaterStepsAndKeepsTheirBytes)
{
    auto image = imageWith({ { pedal(1, 4), 53 }, { pedal(1, 15), 127 } });
    openImage(image);

    choose(stepCountBox(), "4 Steps");

    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(stepBox(k)->isEnabled(), k < 4) << k;
    image[block(1) + 34] = 4;
    EXPECT_EQ(storedImage(), image);
}

TEST_F(PanelEditingTest, EnablingFollowsTheProgramType)
{
    openImage(defaultTemplate());
    struct {
        char const* type;
        bool baseSetting;
        bool duration;
    } const cases[] = {
        { "Loop Portamento", true, true },
        { "Loop, No Portamento", true, true },
        { "Step Portamento", true, false },
        { "Step, No Portamento", true, false },
        { "Different Settings", false, false },
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.type);
        choose(programTypeBox(), c.type);
        EXPECT_TRUE(programTypeBox()->isEnabled());
        EXPECT_TRUE(stepCountBox()->isEnabled());
        EXPECT_EQ(baseSettingBox()->isEnabled(), c.baseSetting);
        EXPECT_EQ(durationBox()->isEnabled(), c.duration);
        EXPECT_TRUE(outputTypeBox()->isEnabled());
    }
}

TEST_F(PanelEditingTest, StepBoxesAreRefilledOnlyWhenTheirListChanges)
{
    auto image = imageWith({ { block(2) + 1, 2 }, { block(5) + 1, 2 }, { block(6) + 1, 2 },
                             { pedal(2, 0), 11 }, { pedal(5, 0), 5 }, { pedal(5, 1), 5 },
                             { pedal(6, 0), 127 }, { pedal(6, 1), 18 } });
    setBaseSetting(image, 6, 2);
    openImage(image);

    choose(programBox(), "Program 2");
    EXPECT_EQ(stepBox(0)->getText(), "Flat 2nd || +1 half step");
    choose(programBox(), "Program 5");
    EXPECT_EQ(stepBox(0)->getSelectedId(), 0) << "5 is no position of \"Octave Up\"";

    // After a refill an unlisted byte still shows nothing: neither the previous
    // selection's position nor the first row, which SAVE would not write.
    choose(programBox(), "Program 6");
    EXPECT_EQ(stepBox(0)->getText(), "5th || +7 half steps");
    choose(programBox(), "Program 5");
    EXPECT_EQ(stepBox(0)->getSelectedId(), 0);
    EXPECT_EQ(stepBox(1)->getSelectedId(), 0);
    EXPECT_EQ(storedImage(), image);
}

TEST_F(PanelEditingTest, AnUnlistedGlobalByteShowsNothingAndStaysWhenAnotherChanges)
{
    auto image = imageWith({ { size_t(687), 7 } });
    openImage(image);
    EXPECT_EQ(outputTypeBox()->getSelectedId(), 0);

    choose(loopRateBox(), "medium Loop Portamento");

    auto stored = storedImage();
    EXPECT_EQ(stored[685], 25);
    EXPECT_EQ(stored[687], 7);
}

TEST_F(PanelEditingTest, AnUnlistedBaseSettingShowsNoSelectionAndNoSteps)
{
    auto image = imageWith({ { pedal(1, 0), 42 } });
    setBaseSetting(image, 1, 10);
    openImage(image);

    EXPECT_EQ(baseSettingBox()->getSelectedId(), 0);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(stepBox(k)->getSelectedId(), 0) << k;
    EXPECT_EQ(storedImage(), image);
    EXPECT_FALSE(panel->isModified());

    choose(programBox(), "Program 2");
    EXPECT_EQ(stepBox(0)->getNumItems(), 13);
    EXPECT_EQ(stepBox(0)->getText(), "Unison");
}

TEST_F(PanelEditingTest, TheTitleGainsTheMarkOnceAndLosesItAfterASave)
{
    openImage(defaultTemplate());
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - edit.syx");

    makeChange();
    choose(stepCountBox(), "9 Steps");
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - edit.syx *");

    auto target = homeFile("saved.syx");
    chosenFiles.push_back(Tr::StringFrom(target.getFullPathName()));
    EXPECT_TRUE(panel->save());
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - saved.syx");
    EXPECT_FALSE(panel->isModified());
}
