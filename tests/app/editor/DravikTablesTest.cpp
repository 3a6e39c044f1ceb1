#include "app/editor/DravikTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

struct NamedTable {
    char const* name;
    DravikTableEntry const* rows;
    int count;
    int expectedCount;
};

std::vector<NamedTable> const valueTables = {
    {"Program", DravikProgramTable, DravikProgramCount, 19},
    {"ProgramType", DravikProgramTypeTable, DravikProgramTypeCount, 5},
    {"StepCount", DravikStepCountTable, DravikStepCountCount, 15},
    {"BaseSetting", DravikBaseSettingTable, DravikBaseSettingCount, 19},
    {"StepsDifferentSetting", DravikStepsDifferentSettingTable, DravikStepsDifferentSettingCount, 42},
    {"MIDIChannel", DravikMIDIChannelTable, DravikMIDIChannelCount, 15},
    {"OutputType", DravikOutputTypeTable, DravikOutputTypeCount, 2},
    {"PortamentoRateLoop", DravikPortamentoRateLoopTable, DravikPortamentoRateLoopCount, 3},
    {"PortamentoRateStep", DravikPortamentoRateStepTable, DravikPortamentoRateStepCount, 3},
    {"Tempo", DravikTempoTable, DravikTempoCount, 111},
};

// In the order of DravikBaseSettingStepTable.
std::vector<NamedTable> const stepTables = {
    {"2OctavesUp", DravikSteps2OctavesUpTable, DravikSteps2OctavesUpCount, 25},
    {"OctaveUp", DravikStepsOctaveUpTable, DravikStepsOctaveUpCount, 13},
    {"5Up", DravikSteps5UpTable, DravikSteps5UpCount, 8},
    {"4Up", DravikSteps4UpTable, DravikSteps4UpCount, 6},
    {"2Down", DravikSteps2DownTable, DravikSteps2DownCount, 3},
    {"4Down", DravikSteps4DownTable, DravikSteps4DownCount, 6},
    {"5Down", DravikSteps5DownTable, DravikSteps5DownCount, 8},
    {"OctaveDown", DravikStepsOctaveDownTable, DravikStepsOctaveDownCount, 13},
    {"2OctavesDown", DravikSteps2OctavesDownTable, DravikSteps2OctavesDownCount, 25},
    {"DiveBomb", DravikStepsDiveBombTable, DravikStepsDiveBombCount, 37},
    {"OctaveHarmony", DravikStepsOctaveHarmonyTable, DravikStepsOctaveHarmonyCount, 25},
    {"54Harmony", DravikSteps54HarmonyTable, DravikSteps54HarmonyCount, 3},
    {"43Harmony", DravikSteps43HarmonyTable, DravikSteps43HarmonyCount, 3},
    {"57Harmony", DravikSteps57HarmonyTable, DravikSteps57HarmonyCount, 4},
    {"56Harmony", DravikSteps56HarmonyTable, DravikSteps56HarmonyCount, 3},
    {"45Harmony", DravikSteps45HarmonyTable, DravikSteps45HarmonyCount, 3},
    {"34Harmony", DravikSteps34HarmonyTable, DravikSteps34HarmonyCount, 2},
    {"33Harmony", DravikSteps33HarmonyTable, DravikSteps33HarmonyCount, 2},
    {"23Harmony", DravikSteps23HarmonyTable, DravikSteps23HarmonyCount, 3},
};

int valueOf(DravikTableEntry const* rows, int count, std::string const& text)
{
    for (int i = 0; i < count; ++i) {
        if (text == rows[i].text)
            return rows[i].value;
    }
    return -1;
}

// Every row has a text, a value that fits a MIDI data byte, and no value twice.
void expectWellFormed(NamedTable const& table)
{
    SCOPED_TRACE(table.name);
    EXPECT_EQ(table.count, table.expectedCount);
    std::set<int> values;
    for (int i = 0; i < table.count; ++i) {
        ASSERT_NE(table.rows[i].text, nullptr);
        EXPECT_NE(std::string(table.rows[i].text), "");
        EXPECT_GE(table.rows[i].value, 0);
        EXPECT_LE(table.rows[i].value, 127);
        values.insert(table.rows[i].value);
    }
    EXPECT_EQ(static_cast<int>(values.size()), table.count) << "a value appears twice";
}

} // namespace

TEST(DravikTables, ValueTablesHaveTheirCountsAndDistinctDataByteValues)
{
    for (NamedTable const& table : valueTables)
        expectWellFormed(table);
}

TEST(DravikTables, StepTablesRunFromZeroTo127InRisingOrder)
{
    for (NamedTable const& table : stepTables) {
        expectWellFormed(table);
        SCOPED_TRACE(table.name);
        EXPECT_EQ(table.rows[0].value, 0);
        EXPECT_EQ(table.rows[table.count - 1].value, 127);
        EXPECT_TRUE(std::is_sorted(table.rows, table.rows + table.count,
                                   [](DravikTableEntry const& a, DravikTableEntry const& b) { return a.value < b.value; }));
    }
}

TEST(DravikTables, BaseSettingStepTableFollowsTheBaseSettingRows)
{
    ASSERT_EQ(DravikBaseSettingStepCount, 19);
    ASSERT_EQ(static_cast<int>(stepTables.size()), DravikBaseSettingStepCount);
    int row = 0;
    for (NamedTable const& table : stepTables) {
        SCOPED_TRACE(table.name);
        EXPECT_EQ(DravikBaseSettingStepTable[row].table, table.rows);
        EXPECT_EQ(DravikBaseSettingStepTable[row].count, table.count);
        ++row;
    }
    EXPECT_STREQ(DravikBaseSettingTable[9].text, "Dive Bomb");
    EXPECT_EQ(DravikBaseSettingStepTable[9].table, DravikStepsDiveBombTable);
}

TEST(DravikTables, ProgramTypesInTableOrderAndNoneHasValueFour)
{
    std::vector<std::pair<std::string, int>> const expected = {
        {"Loop Portamento", 2}, {"Loop, No Portamento", 0}, {"Step Portamento", 3},
        {"Step, No Portamento", 1}, {"Different Settings", 5}};
    ASSERT_EQ(DravikProgramTypeCount, 5);
    DravikTableEntry const* row = DravikProgramTypeTable;
    for (auto const& [text, value] : expected) {
        EXPECT_EQ(row->text, text);
        EXPECT_EQ(row->value, value);
        ++row;
    }
    for (int i = 0; i < DravikProgramTypeCount; ++i)
        EXPECT_NE(DravikProgramTypeTable[i].value, 4);
}

TEST(DravikTables, GeneratedTextsFollowTheirValues)
{
    for (int i = 0; i < DravikProgramCount; ++i) {
        EXPECT_EQ(DravikProgramTable[i].value, i + 1);
        EXPECT_EQ(DravikProgramTable[i].text, "Program " + std::to_string(i + 1));
    }
    for (int i = 0; i < DravikStepCountCount; ++i) {
        EXPECT_EQ(DravikStepCountTable[i].value, i + 2);
        EXPECT_EQ(DravikStepCountTable[i].text, std::to_string(i + 2) + " Steps");
    }
    for (int i = 0; i < DravikMIDIChannelCount; ++i) {
        EXPECT_EQ(DravikMIDIChannelTable[i].value, i);
        EXPECT_EQ(DravikMIDIChannelTable[i].text, std::to_string(i + 1));
    }
    for (int i = 0; i < DravikTempoCount; ++i)
        EXPECT_EQ(DravikTempoTable[i].value, 17 + i);
}

TEST(DravikTables, BaseSettingsLeaveOutTheDetuneValues)
{
    EXPECT_EQ(valueOf(DravikBaseSettingTable, DravikBaseSettingCount, "2 Octaves Up"), 0);
    EXPECT_EQ(valueOf(DravikBaseSettingTable, DravikBaseSettingCount, "Octave Down/Octave Up Harmony"), 20);
    EXPECT_EQ(valueOf(DravikBaseSettingTable, DravikBaseSettingCount, "2nd Up/3rd Up Harmony"), 12);
    for (int i = 0; i < DravikBaseSettingCount; ++i) {
        EXPECT_NE(DravikBaseSettingTable[i].value, 10);
        EXPECT_NE(DravikBaseSettingTable[i].value, 11);
    }
    EXPECT_EQ(DravikBaseSettingTable[1].value, 1);
    EXPECT_STREQ(DravikBaseSettingTable[1].text, "Octave Up");
}

TEST(DravikTables, DifferentSettingsPairEveryOnRowWithAnOffRowTwentyOneHigher)
{
    ASSERT_EQ(DravikStepsDifferentSettingCount, 42);
    std::vector<std::pair<std::string, int>> const spots = {
        {"Shallow Detune - ON", 11}, {"Deep Detune - ON", 10}, {"2 Octaves Up - ON", 0},
        {"Octave Up - ON", 1}, {"2nd Up/3rd Up Harmony - ON", 12}, {"Shallow Detune - OFF", 32},
        {"Deep Detune - OFF", 31}, {"2 Octaves Up - OFF", 21}, {"Octave Down/Octave Up Harmony - OFF", 41},
        {"2nd Up/3rd Up Harmony - OFF", 33}};
    for (auto const& [text, value] : spots)
        EXPECT_EQ(valueOf(DravikStepsDifferentSettingTable, 42, text), value) << text;
    EXPECT_STREQ(DravikStepsDifferentSettingTable[3].text, "Octave Up - ON");
    for (int i = 0; i < 21; ++i) {
        std::string const on = DravikStepsDifferentSettingTable[i].text;
        std::string const off = DravikStepsDifferentSettingTable[i + 21].text;
        ASSERT_EQ(on.substr(on.size() - 5), " - ON");
        EXPECT_EQ(off, on.substr(0, on.size() - 5) + " - OFF");
        EXPECT_EQ(DravikStepsDifferentSettingTable[i + 21].value, DravikStepsDifferentSettingTable[i].value + 21);
        if (i >= 2) {
            EXPECT_EQ(on, std::string(DravikBaseSettingTable[i - 2].text) + " - ON");
        }
    }
}

TEST(DravikTables, GlobalValueTables)
{
    EXPECT_EQ(valueOf(DravikOutputTypeTable, DravikOutputTypeCount, "Whammy Only"), 4);
    EXPECT_EQ(valueOf(DravikOutputTypeTable, DravikOutputTypeCount, "Whammy & Clock"), 5);
    EXPECT_EQ(valueOf(DravikPortamentoRateLoopTable, 3, "fast Loop Portamento"), 17);
    EXPECT_EQ(valueOf(DravikPortamentoRateLoopTable, 3, "medium Loop Portamento"), 25);
    EXPECT_EQ(valueOf(DravikPortamentoRateLoopTable, 3, "slow Loop Portamento"), 45);
    EXPECT_EQ(valueOf(DravikPortamentoRateStepTable, 3, "fast Step Portamento"), 25);
    EXPECT_EQ(valueOf(DravikPortamentoRateStepTable, 3, "medium Step Portamento"), 50);
    EXPECT_EQ(valueOf(DravikPortamentoRateStepTable, 3, "slow Step Portamento"), 80);
}

TEST(DravikTables, TempoAndStepTableSpots)
{
    EXPECT_EQ(valueOf(DravikTempoTable, DravikTempoCount, "0.24"), 17);
    EXPECT_EQ(valueOf(DravikTempoTable, DravikTempoCount, "0.50"), 37);
    EXPECT_EQ(valueOf(DravikTempoTable, DravikTempoCount, "1.03"), 57);
    EXPECT_EQ(valueOf(DravikTempoTable, DravikTempoCount, "10.08"), 120);
    EXPECT_EQ(valueOf(DravikTempoTable, DravikTempoCount, "12.99"), 127);
    EXPECT_EQ(valueOf(DravikStepsDiveBombTable, DravikStepsDiveBombCount, "Octave Down || -12 half steps"), 42);
    EXPECT_EQ(valueOf(DravikStepsOctaveHarmonyTable, DravikStepsOctaveHarmonyCount, "Unison"), 64);
    EXPECT_EQ(valueOf(DravikSteps57HarmonyTable, DravikSteps57HarmonyCount, "6th || +9 half steps"), 84);
    EXPECT_EQ(valueOf(DravikSteps2OctavesDownTable, DravikSteps2OctavesDownCount,
                      "4th, 2 Octaves Down || -19 half steps"), 101);
}

TEST(DravikTables, DefaultTemplateFollowsItsRuleByteForByte)
{
    ASSERT_EQ(DravikDefaultTemplateSize, 690);
    std::vector<unsigned char> expected = {0xF0};
    for (int program = 1; program <= 19; ++program) {
        expected.push_back(static_cast<unsigned char>(program));
        expected.push_back(0);
        for (int step = 0; step < 16; ++step) {
            expected.push_back(0);
            expected.push_back(1);
        }
        expected.push_back(16);
        expected.push_back(0x25);
    }
    for (unsigned char byte : {17, 25, 4, 14, 0xF7})
        expected.push_back(byte);
    ASSERT_EQ(expected.size(), 690u);
    EXPECT_EQ(std::vector<unsigned char>(DravikDefaultTemplate, DravikDefaultTemplate + 690), expected);
    EXPECT_EQ(sizeof DravikDefaultTemplate, 690u);
}
