#include "app/JuceUtils.h"

#include <gtest/gtest.h>

namespace {

struct CommandLineCase
{
    char const* given;
    char const* expected;
};

class CommandLineCleanUp : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineCleanUp, RemovesTheProcessSerialNumberAndTheDebugOption)
{
    EXPECT_EQ(juce::String(GetParam().expected),
              JuceUtils::cutProcessSerialNumberFromCommandLine(GetParam().given));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineCleanUp,
    ::testing::Values(
        CommandLineCase { "", "" },
        CommandLineCase { "-psn_0_12345", "" },
        // The blank before the word goes, the one after it stays.
        CommandLineCase { "first -psn_0_12345 last", "first last" },
        CommandLineCase { "-psn_0_1 rest", " rest" },
        CommandLineCase { "a b -psn_0_1", "a b" },
        // Only the first such word is cut.
        CommandLineCase { "a -psn_1 b -psn_2 c", "a b -psn_2 c" },
        CommandLineCase { "no serial number here", "no serial number here" },
        // The marker is case-sensitive.
        CommandLineCase { "x -PSN_0_1 y", "x -PSN_0_1 y" },
        CommandLineCase { "file.syx -NSDocumentRevisionsDebugMode YES", "file.syx " },
        CommandLineCase { "-NSDocumentRevisionsDebugMode YES a -NSDocumentRevisionsDebugMode YES", " a " },
        CommandLineCase { "-NSDocumentRevisionsDebugMode NO", "-NSDocumentRevisionsDebugMode NO" },
        CommandLineCase { "a -psn_0_1 -NSDocumentRevisionsDebugMode YES", "a " }));

} // namespace
