#include "app/JuceUtils.h"

#include <gtest/gtest.h>

namespace {

// Answers every box with one code and remembers the last box it was shown.
class DialogHookTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = JuceUtils::setDialogHook([this](JuceUtils::Dialog const& dialog) {
            shown.push_back(dialog);
            return answer;
        });
    }
    void TearDown() override { JuceUtils::setDialogHook(previous); }

    JuceUtils::DialogReturnCode answer = JuceUtils::Cancel;
    std::vector<JuceUtils::Dialog> shown;
    JuceUtils::DialogHook previous;
};

struct ConfirmCase
{
    JuceUtils::DialogReturnCode answer;
    bool result;
    int cancelled;
};

class ConfirmAnswers : public DialogHookTest, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(ConfirmAnswers, GiveTheResultAndTheCancelState)
{
    answer = GetParam().answer;
    int cancelled = -1;
    EXPECT_EQ(GetParam().result, JuceUtils::Confirm("Save?", &cancelled));
    EXPECT_EQ(GetParam().cancelled, cancelled);
    EXPECT_EQ(GetParam().result, JuceUtils::Confirm("Save?"));

    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ(juce::String("Confirm"), shown[0].title);
    EXPECT_EQ(juce::String("Save?"), shown[0].message);
    EXPECT_EQ(juce::MessageBoxIconType::QuestionIcon, shown[0].icon);
    EXPECT_TRUE(shown[0].yesNoCancel);
}

INSTANTIATE_TEST_SUITE_P(Yes_No_Cancel, ConfirmAnswers,
                         ::testing::Values(ConfirmCase { JuceUtils::Yes, true, 0 },
                                           ConfirmCase { JuceUtils::No, false, 0 },
                                           ConfirmCase { JuceUtils::Cancel, false, 1 }));

TEST_F(DialogHookTest, InformationAndErrorBoxesHaveTheirTitlesAndIcons)
{
    JuceUtils::FYI("for you");
    JuceUtils::ErrorDlg("went wrong");
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ(juce::String("Information"), shown[0].title);
    EXPECT_EQ(juce::MessageBoxIconType::InfoIcon, shown[0].icon);
    EXPECT_EQ(juce::String("for you"), shown[0].message);
    EXPECT_FALSE(shown[0].yesNoCancel);
    EXPECT_EQ(juce::String("Error"), shown[1].title);
    EXPECT_EQ(juce::MessageBoxIconType::WarningIcon, shown[1].icon);
    EXPECT_EQ(juce::String("went wrong"), shown[1].message);
}

// However long the path in a message, the reason after it stays in the box:
// long lines lose their middle, and many lines their middle lines.
TEST_F(DialogHookTest, LongPathsAreCutInTheMiddleAndTheReasonStays)
{
    juce::String path = "/home/user/" + juce::String::repeatedString("deep/", 600) + "live.syx";
    JuceUtils::ErrorDlg("Error loading file '" + path + "':\nerror loading: not a regular file: " + path);
    juce::String manyLines = "/home/user/" + juce::String::repeatedString("line\n", 50) + "live.syx";
    JuceUtils::ErrorDlg("Error saving file '" + manyLines + "':\nfile write error: No space left on device");
    JuceUtils::ErrorDlg("short\nlines");
    ASSERT_EQ(3u, shown.size());

    auto lines = juce::StringArray::fromLines(shown[0].message);
    ASSERT_EQ(2, lines.size());
    EXPECT_TRUE(lines[0].startsWith("Error loading file '/home/user/deep/")) << lines[0];
    EXPECT_TRUE(lines[0].endsWith("/live.syx':")) << lines[0];
    EXPECT_TRUE(lines[1].startsWith("error loading: not a regular file: /home/user/")) << lines[1];
    EXPECT_TRUE(lines[1].endsWith("/live.syx")) << lines[1];
    for (auto const& line : lines)
        EXPECT_LE(line.length(), 100);

    lines = juce::StringArray::fromLines(shown[1].message);
    EXPECT_LE(lines.size(), 12);
    EXPECT_TRUE(lines[0].startsWith("Error saving file '/home/user/line")) << lines[0];
    EXPECT_EQ(lines[lines.size() - 1], "file write error: No space left on device");

    EXPECT_EQ(shown[2].message, "short\nlines");
}

TEST_F(DialogHookTest, AnOkBoxAnswersOkWhateverTheHookSays)
{
    answer = JuceUtils::Yes;
    EXPECT_EQ(JuceUtils::Ok,
              JuceUtils::showDialog({ juce::MessageBoxIconType::InfoIcon, "t", "m", false }));
}

TEST_F(DialogHookTest, SettingAHookReturnsThePreviousOne)
{
    JuceUtils::DialogHook mine = JuceUtils::setDialogHook({});
    ASSERT_TRUE(mine);
    JuceUtils::DialogHook none = JuceUtils::setDialogHook(mine);
    EXPECT_FALSE(none);
    JuceUtils::FYI("through the hook again");
    EXPECT_EQ(1u, shown.size());
}

TEST(DialogButtonNames, NameEveryCodeAndNothingElse)
{
    char const* const expected[] = { "cancel", "yes", "no", "ok", "yes to all", "no to all", "cancel all" };
    for (int code = 0; code <= 6; ++code)
        EXPECT_EQ(juce::String(expected[code]),
                  JU_getButtonNameForCode(static_cast<JuceUtils::DialogReturnCode>(code)));
    EXPECT_EQ(juce::String(), JU_getButtonNameForCode(static_cast<JuceUtils::DialogReturnCode>(7)));
    EXPECT_EQ(juce::String(), JU_getButtonNameForCode(static_cast<JuceUtils::DialogReturnCode>(-1)));
}

} // namespace
