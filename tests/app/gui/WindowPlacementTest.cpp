#include "app/JuceUtils.h"
#include "foundation/TIniFile.h"

#include <gtest/gtest.h>

namespace {

// A window of 300 x 150 on a user area that does not start at the origin, so
// that an edge mixed up with a size shows.
juce::Rectangle<int> const area(100, 40, 1000, 700);
juce::Rectangle<int> const window(7, 9, 300, 150);
int const absent = -1000;

struct PlacementCase
{
    char const* what;
    int left, top;
    int x, y;
};

class WindowPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(WindowPlacement, FollowsTheThirdOfTheWindowRule)
{
    PlacementCase const& c = GetParam();
    EXPECT_EQ(juce::Rectangle<int>(c.x, c.y, 300, 150), JuceUtils::placeWindow(&area, c.left, c.top, window))
        << c.what;
}

// A third of the width is 100, of the height 50.
INSTANTIATE_TEST_SUITE_P(
    Thresholds, WindowPlacement,
    ::testing::Values(
        PlacementCase { "absent: centred", absent, absent, 100 + 500 - 150, 40 + 350 - 75 },
        PlacementCase { "inside", 400, 300, 400, 300 },
        PlacementCase { "a third off the left and top edges stays", 0, -10, 0, -10 },
        PlacementCase { "one more is moved onto those edges", -1, -11, 100, 40 },
        PlacementCase { "a third on the right and bottom edges stays", 1000, 690, 1000, 690 },
        PlacementCase { "one less is moved onto those edges", 1001, 691, 800, 590 },
        PlacementCase { "only the value -1000 counts as absent", -999, -1001, 100, 40 }));

TEST(WindowPlacementWithoutDisplay, KeepsStoredValuesAndTheCurrentPositionForAbsentOnes)
{
    EXPECT_EQ(juce::Rectangle<int>(-5000, 9, 300, 150), JuceUtils::placeWindow(nullptr, -5000, absent, window));
    EXPECT_EQ(juce::Rectangle<int>(7, 20000, 300, 150), JuceUtils::placeWindow(nullptr, absent, 20000, window));
}

juce::Rectangle<int> primaryUserArea()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
}

TEST(WindowPositionInIni, NoStoredPositionCentresOnTheMainDisplay)
{
    Tr::TIniFile ini("unused.ini");
    juce::Component c;
    c.setBounds(0, 0, 10, 10);
    JuceUtils::loadWindowPosFromIni(&c, ini, 200, 100);
    juce::Rectangle<int> d = primaryUserArea();
    EXPECT_EQ(juce::Rectangle<int>(d.getX() + d.getWidth() / 2 - 100, d.getY() + d.getHeight() / 2 - 50, 200, 100),
              c.getBounds());
}

TEST(WindowPositionInIni, SavedPositionComesBackOnTheTopLevelWindow)
{
    juce::Component top;
    juce::Component child;
    top.addAndMakeVisible(child);
    top.setBounds(31, 42, 220, 110);
    Tr::TIniFile ini("unused.ini");
    JuceUtils::saveWindowPosToIni(&child, ini);
    EXPECT_EQ(31, ini.ReadInteger("Current", "MainLeft", 0));
    EXPECT_EQ(42, ini.ReadInteger("Current", "MainTop", 0));
    EXPECT_FALSE(ini.ValueExists("Current", "MainWidth"));

    top.setBounds(500, 500, 220, 110);
    JuceUtils::loadWindowPosFromIni(&child, ini, -1, -1);
    EXPECT_EQ(juce::Rectangle<int>(31, 42, 220, 110), top.getBounds());
}

TEST(WindowPositionInIni, SizeVariantStoresAndRestoresTheSize)
{
    juce::Component c;
    c.setBounds(60, 70, 321, 123);
    Tr::TIniFile ini("unused.ini");
    JuceUtils::saveWindowPosSizeToIni(&c, ini, true);
    EXPECT_EQ(321, ini.ReadInteger("Current", "MainWidth", 0));
    EXPECT_EQ(123, ini.ReadInteger("Current", "MainHeight", 0));

    c.setBounds(0, 0, 10, 10);
    JuceUtils::loadWindowPosSizeFromIni(&c, ini, 50, 50);
    EXPECT_EQ(juce::Rectangle<int>(60, 70, 321, 123), c.getBounds());
}

} // namespace
