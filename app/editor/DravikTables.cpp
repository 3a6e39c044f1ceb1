#include "app/editor/DravikTables.h"

#include <cstddef>

namespace {

template <typename Row, std::size_t N>
constexpr int rowCount(Row const (&)[N])
{
    return static_cast<int>(N);
}

} // namespace

DravikTableEntry const DravikProgramTable[] = {
    {"Program 1", 1},
    {"Program 2", 2},
    {"Program 3", 3},
    {"Program 4", 4},
    {"Program 5", 5},
    {"Program 6", 6},
    {"Program 7", 7},
    {"Program 8", 8},
    {"Program 9", 9},
    {"Program 10", 10},
    {"Program 11", 11},
    {"Program 12", 12},
    {"Program 13", 13},
    {"Program 14", 14},
    {"Program 15", 15},
    {"Program 16", 16},
    {"Program 17", 17},
    {"Program 18", 18},
    {"Program 19", 19},
};
int const DravikProgramCount = rowCount(DravikProgramTable);

DravikTableEntry const DravikProgramTypeTable[] = {
    {"Loop Portamento", 2},
    {"Loop, No Portamento", 0},
    {"Step Portamento", 3},
    {"Step, No Portamento", 1},
    {"Different Settings", 5},
};
int const DravikProgramTypeCount = rowCount(DravikProgramTypeTable);

DravikTableEntry const DravikStepCountTable[] = {
    {"2 Steps", 2},
    {"3 Steps", 3},
    {"4 Steps", 4},
    {"5 Steps", 5},
    {"6 Steps", 6},
    {"7 Steps", 7},
    {"8 Steps", 8},
    {"9 Steps", 9},
    {"10 Steps", 10},
    {"11 Steps", 11},
    {"12 Steps", 12},
    {"13 Steps", 13},
    {"14 Steps", 14},
    {"15 Steps", 15},
    {"16 Steps", 16},
};
int const DravikStepCountCount = rowCount(DravikStepCountTable);

DravikTableEntry const DravikBaseSettingTable[] = {
    {"2 Octaves Up", 0},
    {"Octave Up", 1},
    {"5th Up", 2},
    {"4th Up", 3},
    {"2nd Down", 4},
    {"4th Down", 5},
    {"5th Down", 6},
    {"Octave Down", 7},
    {"2 Octaves Down", 8},
    {"Dive Bomb", 9},
    {"Octave Down/Octave Up Harmony", 20},
    {"5th Down/4th Down Harmony", 19},
    {"4th Down/3rd Down Harmony", 18},
    {"5th Up/7th Up Harmony", 17},
    {"5th Up/6th Up Harmony", 16},
    {"4th Up/5th Up Harmony", 15},
    {"3rd Up/4th Up Harmony", 14},
    {"flat 3rd Up/3rd Up Harmony", 13},
    {"2nd Up/3rd Up Harmony", 12},
};
int const DravikBaseSettingCount = rowCount(DravikBaseSettingTable);

// Per-step Whammy settings: the 21 settings switched on, then the same 21 switched
// off, each OFF value being its ON value + 21.
DravikTableEntry const DravikStepsDifferentSettingTable[] = {
    {"Shallow Detune - ON", 11},
    {"Deep Detune - ON", 10},
    {"2 Octaves Up - ON", 0},
    {"Octave Up - ON", 1},
    {"5th Up - ON", 2},
    {"4th Up - ON", 3},
    {"2nd Down - ON", 4},
    {"4th Down - ON", 5},
    {"5th Down - ON", 6},
    {"Octave Down - ON", 7},
    {"2 Octaves Down - ON", 8},
    {"Dive Bomb - ON", 9},
    {"Octave Down/Octave Up Harmony - ON", 20},
    {"5th Down/4th Down Harmony - ON", 19},
    {"4th Down/3rd Down Harmony - ON", 18},
    {"5th Up/7th Up Harmony - ON", 17},
    {"5th Up/6th Up Harmony - ON", 16},
    {"4th Up/5th Up Harmony - ON", 15},
    {"3rd Up/4th Up Harmony - ON", 14},
    {"flat 3rd Up/3rd Up Harmony - ON", 13},
    {"2nd Up/3rd Up Harmony - ON", 12},
    {"Shallow Detune - OFF", 32},
    {"Deep Detune - OFF", 31},
    {"2 Octaves Up - OFF", 21},
    {"Octave Up - OFF", 22},
    {"5th Up - OFF", 23},
    {"4th Up - OFF", 24},
    {"2nd Down - OFF", 25},
    {"4th Down - OFF", 26},
    {"5th Down - OFF", 27},
    {"Octave Down - OFF", 28},
    {"2 Octaves Down - OFF", 29},
    {"Dive Bomb - OFF", 30},
    {"Octave Down/Octave Up Harmony - OFF", 41},
    {"5th Down/4th Down Harmony - OFF", 40},
    {"4th Down/3rd Down Harmony - OFF", 39},
    {"5th Up/7th Up Harmony - OFF", 38},
    {"5th Up/6th Up Harmony - OFF", 37},
    {"4th Up/5th Up Harmony - OFF", 36},
    {"3rd Up/4th Up Harmony - OFF", 35},
    {"flat 3rd Up/3rd Up Harmony - OFF", 34},
    {"2nd Up/3rd Up Harmony - OFF", 33},
};
int const DravikStepsDifferentSettingCount = rowCount(DravikStepsDifferentSettingTable);

DravikTableEntry const DravikMIDIChannelTable[] = {
    {"1", 0},
    {"2", 1},
    {"3", 2},
    {"4", 3},
    {"5", 4},
    {"6", 5},
    {"7", 6},
    {"8", 7},
    {"9", 8},
    {"10", 9},
    {"11", 10},
    {"12", 11},
    {"13", 12},
    {"14", 13},
    {"15", 14},
};
int const DravikMIDIChannelCount = rowCount(DravikMIDIChannelTable);

DravikTableEntry const DravikOutputTypeTable[] = {
    {"Whammy Only", 4},
    {"Whammy & Clock", 5},
};
int const DravikOutputTypeCount = rowCount(DravikOutputTypeTable);

DravikTableEntry const DravikPortamentoRateLoopTable[] = {
    {"fast Loop Portamento", 17},
    {"medium Loop Portamento", 25},
    {"slow Loop Portamento", 45},
};
int const DravikPortamentoRateLoopCount = rowCount(DravikPortamentoRateLoopTable);

DravikTableEntry const DravikPortamentoRateStepTable[] = {
    {"fast Step Portamento", 25},
    {"medium Step Portamento", 50},
    {"slow Step Portamento", 80},
};
int const DravikPortamentoRateStepCount = rowCount(DravikPortamentoRateStepTable);

// Step durations in seconds; the device's timing follows no exact formula.
DravikTableEntry const DravikTempoTable[] = {
    {"0.24", 17},
    {"0.25", 18},
    {"0.26", 19},
    {"0.27", 20},
    {"0.28", 21},
    {"0.29", 22},
    {"0.30", 23},
    {"0.31", 24},
    {"0.32", 25},
    {"0.33", 26},
    {"0.35", 27},
    {"0.36", 28},
    {"0.37", 29},
    {"0.39", 30},
    {"0.40", 31},
    {"0.41", 32},
    {"0.43", 33},
    {"0.45", 34},
    {"0.46", 35},
    {"0.48", 36},
    {"0.50", 37},
    {"0.52", 38},
    {"0.53", 39},
    {"0.55", 40},
    {"0.57", 41},
    {"0.60", 42},
    {"0.62", 43},
    {"0.64", 44},
    {"0.66", 45},
    {"0.69", 46},
    {"0.71", 47},
    {"0.74", 48},
    {"0.77", 49},
    {"0.80", 50},
    {"0.83", 51},
    {"0.86", 52},
    {"0.89", 53},
    {"0.92", 54},
    {"0.95", 55},
    {"0.99", 56},
    {"1.03", 57},
    {"1.06", 58},
    {"1.10", 59},
    {"1.14", 60},
    {"1.19", 61},
    {"1.23", 62},
    {"1.28", 63},
    {"1.32", 64},
    {"1.37", 65},
    {"1.42", 66},
    {"1.48", 67},
    {"1.53", 68},
    {"1.59", 69},
    {"1.64", 70},
    {"1.71", 71},
    {"1.77", 72},
    {"1.83", 73},
    {"1.90", 74},
    {"1.97", 75},
    {"2.04", 76},
    {"2.12", 77},
    {"2.20", 78},
    {"2.28", 79},
    {"2.36", 80},
    {"2.45", 81},
    {"2.54", 82},
    {"2.64", 83},
    {"2.73", 84},
    {"2.83", 85},
    {"2.94", 86},
    {"3.05", 87},
    {"3.16", 88},
    {"3.28", 89},
    {"3.40", 90},
    {"3.52", 91},
    {"3.65", 92},
    {"3.79", 93},
    {"3.93", 94},
    {"4.07", 95},
    {"4.22", 96},
    {"4.38", 97},
    {"4.54", 98},
    {"4.71", 99},
    {"4.88", 100},
    {"5.06", 101},
    {"5.25", 102},
    {"5.44", 103},
    {"5.64", 104},
    {"5.85", 105},
    {"6.07", 106},
    {"6.29", 107},
    {"6.52", 108},
    {"6.76", 109},
    {"7.01", 110},
    {"7.27", 111},
    {"7.54", 112},
    {"7.82", 113},
    {"8.11", 114},
    {"8.41", 115},
    {"8.72", 116},
    {"9.04", 117},
    {"9.37", 118},
    {"9.72", 119},
    {"10.08", 120},
    {"10.45", 121},
    {"10.84", 122},
    {"11.24", 123},
    {"11.65", 124},
    {"12.08", 125},
    {"12.53", 126},
    {"12.99", 127},
};
int const DravikTempoCount = rowCount(DravikTempoTable);

DravikTableEntry const DravikSteps2OctavesUpTable[] = {
    {"Unison", 0},
    {"Flat 2nd || +1 half step", 5},
    {"2nd || +2 half steps", 11},
    {"Flat 3rd || +3 half steps", 16},
    {"3rd || +4 half steps", 21},
    {"4th || +5 half steps", 26},
    {"Flat 5th || +6 half steps", 32},
    {"5th || +7 half steps", 37},
    {"Flat 6th || +8 half steps", 42},
    {"6th || +9 half steps", 48},
    {"Flat 7th || +10 half steps", 53},
    {"Maj.7th || +11 half steps", 58},
    {"Octave || +12 half steps", 63},
    {"Octave + Flat 2nd || +13 half steps", 69},
    {"Octave + 2nd || +14 half steps", 74},
    {"Octave + Flat 3rd || +15 half steps", 79},
    {"Octave + 3rd || +16 half steps", 85},
    {"Octave + 4th || +17 half steps", 90},
    {"Octave + Flat 5th || +18 half steps", 95},
    {"Octave + 5th || +19 half steps", 100},
    {"Octave + Flat 6th || +20 half steps", 106},
    {"Octave + 6th || +21 half steps", 111},
    {"Octave + Flat 7th || +22 half steps", 117},
    {"Octave + Maj.7th || +23 half steps", 122},
    {"2 Octaves || +24 half steps", 127},
};
int const DravikSteps2OctavesUpCount = rowCount(DravikSteps2OctavesUpTable);

DravikTableEntry const DravikStepsOctaveUpTable[] = {
    {"Unison", 0},
    {"Flat 2nd || +1 half step", 11},
    {"2nd || +2 half steps", 21},
    {"Flat 3rd || +3 half steps", 32},
    {"3rd || +4 half steps", 42},
    {"4th || +5 half steps", 53},
    {"Flat 5th || +6 half steps", 64},
    {"5th || +7 half steps", 74},
    {"Flat 6th || +8 half steps", 84},
    {"6th || +9 half steps", 95},
    {"Flat 7th || +10 half steps", 106},
    {"Maj.7th || +11 half steps", 116},
    {"Octave || +12 half steps", 127},
};
int const DravikStepsOctaveUpCount = rowCount(DravikStepsOctaveUpTable);

DravikTableEntry const DravikSteps5UpTable[] = {
    {"Unison", 0},
    {"Flat 2nd || +1 half step", 18},
    {"2nd || +2 half steps", 35},
    {"Flat 3rd || +3 half steps", 54},
    {"3rd || +4 half steps", 72},
    {"4th || +5 half steps", 90},
    {"Flat 5th || +6 half steps", 109},
    {"5th || +7 half steps", 127},
};
int const DravikSteps5UpCount = rowCount(DravikSteps5UpTable);

DravikTableEntry const DravikSteps4UpTable[] = {
    {"Unison", 0},
    {"Flat 2nd || +1 half step", 24},
    {"2nd || +2 half steps", 50},
    {"Flat 3rd || +3 half steps", 76},
    {"3rd || +4 half steps", 102},
    {"4th || +5 half steps", 127},
};
int const DravikSteps4UpCount = rowCount(DravikSteps4UpTable);

DravikTableEntry const DravikSteps2DownTable[] = {
    {"Unison", 0},
    {"7th, Octave Down || -1 half step", 67},
    {"Flat 7th, Octave Down || -2 half steps", 127},
};
int const DravikSteps2DownCount = rowCount(DravikSteps2DownTable);

DravikTableEntry const DravikSteps4DownTable[] = {
    {"Unison", 0},
    {"7th, Octave Down || -1 half step", 26},
    {"Flat 7th, Octave Down || -2 half steps", 52},
    {"6th, Octave Down || -3 half steps", 77},
    {"Flat 6th, Octave Down || -4 half steps", 103},
    {"5th, Octave Down || -5 half steps", 127},
};
int const DravikSteps4DownCount = rowCount(DravikSteps4DownTable);

DravikTableEntry const DravikSteps5DownTable[] = {
    {"Unison", 0},
    {"7th, Octave Down || -1 half step", 19},
    {"Flat 7th, Octave Down || -2 half steps", 37},
    {"6th, Octave Down || -3 half steps", 55},
    {"Flat 6th, Octave Down || -4 half steps", 74},
    {"5th, Octave Down || -5 half steps", 92},
    {"Flat 5th, Octave Down || -6 half steps", 110},
    {"4th, Octave Down || -7 half steps", 127},
};
int const DravikSteps5DownCount = rowCount(DravikSteps5DownTable);

DravikTableEntry const DravikStepsOctaveDownTable[] = {
    {"Unison", 0},
    {"Maj.7th, Octave Down || -1 half step", 11},
    {"Flat 7th, Octave Down || -2 half steps", 22},
    {"6th, Octave Down || -3 half steps", 32},
    {"Flat 6th, Octave Down || -4 half steps", 43},
    {"5th, Octave Down || -5 half steps", 54},
    {"Flat 5th, Octave Down || -6 half steps", 64},
    {"4th, Octave Down || -7 half steps", 75},
    {"3rd, Octave Down || -8 half steps", 85},
    {"Flat 3rd, Octave Down || -9 half steps", 96},
    {"2nd, Octave Down || -10 half steps", 106},
    {"Flat 2nd, Octave Down || -11 half steps", 117},
    {"Octave Down || -12 half steps", 127},
};
int const DravikStepsOctaveDownCount = rowCount(DravikStepsOctaveDownTable);

DravikTableEntry const DravikSteps2OctavesDownTable[] = {
    {"Unison", 0},
    {"Maj.7th, Octave Down || -1 half step", 5},
    {"Flat 7th, Octave Down || -2 half steps", 11},
    {"6th, Octave Down || -3 half steps", 16},
    {"Flat 6th, Octave Down || -4 half steps", 21},
    {"5th, Octave Down || -5 half steps", 27},
    {"Flat 5th, Octave Down || -6 half steps", 32},
    {"4th, Octave Down || -7 half steps", 37},
    {"3rd, Octave Down || -8 half steps", 43},
    {"Flat 3rd, Octave Down || -9 half steps", 48},
    {"2nd, Octave Down || -10 half steps", 53},
    {"Flat 2nd, Octave Down || -11 half steps", 58},
    {"Octave Down || -12 half steps", 64},
    {"Maj.7th, 2 Octaves Down || -13 half steps", 69},
    {"Flat 7th, 2 Octaves Down || -14 half steps", 74},
    {"6th, 2 Octaves Down || -15 half steps", 79},
    {"Flat 6th, 2 Octaves Down || -16 half steps", 85},
    {"5th, 2 Octaves Down || -17 half steps", 90},
    {"Flat 5th, 2 Octaves Down || -18 half steps", 95},
    {"4th, 2 Octaves Down || -19 half steps", 101},
    {"3rd, 2 Octaves Down || -20 half steps", 106},
    {"Flat 3rd, 2 Octaves Down || -21 half steps", 111},
    {"2nd, 2 Octaves Down || -22 half steps", 117},
    {"Flat 2nd, 2 Octaves Down || -23 half steps", 122},
    {"2 Octaves Down || -24 half steps", 127},
};
int const DravikSteps2OctavesDownCount = rowCount(DravikSteps2OctavesDownTable);

DravikTableEntry const DravikStepsDiveBombTable[] = {
    {"Unison", 0},
    {"Maj.7th, Octave Down || -1 half step", 4},
    {"Flat 7th, Octave Down || -2 half steps", 7},
    {"6th, Octave Down || -3 half steps", 11},
    {"Flat 6th, Octave Down || -4 half steps", 14},
    {"5th, Octave Down || -5 half steps", 18},
    {"Flat 5th, Octave Down || -6 half steps", 21},
    {"4th, Octave Down || -7 half steps", 25},
    {"3rd, Octave Down || -8 half steps", 28},
    {"Flat 3rd, Octave Down || -9 half steps", 32},
    {"2nd, Octave Down || -10 half steps", 35},
    {"Flat 2nd, Octave Down || -11 half steps", 39},
    {"Octave Down || -12 half steps", 42},
    {"Maj.7th, 2 Octaves Down || -13 half steps", 46},
    {"Flat 7th, 2 Octaves Down || -14 half steps", 49},
    {"6th, 2 Octaves Down || -15 half steps", 53},
    {"Flat 6th, 2 Octaves Down || -16 half steps", 56},
    {"5th, 2 Octaves Down || -17 half steps", 60},
    {"Flat 5th, 2 Octaves Down || -18 half steps", 64},
    {"4th, 2 Octaves Down || -19 half steps", 67},
    {"3rd, 2 Octaves Down || -20 half steps", 71},
    {"Flat 3rd, 2 Octaves Down || -21 half steps", 74},
    {"2nd, 2 Octaves Down || -22 half steps", 78},
    {"Flat 2nd, 2 Octaves Down || -23 half steps", 81},
    {"2 Octaves Down || -24 half steps", 85},
    {"7th, 3 Octaves Down || -25 half steps", 88},
    {"Flat 7th, 3 Octaves Down || -26 half steps", 92},
    {"6th, 3 Octaves Down || -27 half steps", 95},
    {"Flat 6th, 3 Octaves Down || -28 half steps", 99},
    {"5th, 3 Octaves Down || -29 half steps", 102},
    {"Flat 5th, 3 Octaves Down || -30 half steps", 106},
    {"4th, 3 Octaves Down || -31 half steps", 109},
    {"3rd, 3 Octaves Down || -32 half steps", 113},
    {"Flat 3rd, 3 Octaves Down || -33 half steps", 116},
    {"2nd, 3 Octaves Down || -34 half steps", 120},
    {"Flat 2nd, 3 Octaves Down || -35 half steps", 124},
    {"3 Octaves Down || -36 half steps", 127},
};
int const DravikStepsDiveBombCount = rowCount(DravikStepsDiveBombTable);

DravikTableEntry const DravikStepsOctaveHarmonyTable[] = {
    {"Octave Down || -12 half steps", 0},
    {"Flat 2nd, Octave Down || -11 half steps", 6},
    {"2nd, Octave Down || -10 half steps", 11},
    {"Flat 3rd, Octave Down || -9 half steps", 17},
    {"3rd, Octave Down || -8 half steps", 21},
    {"4th, Octave Down || -7 half steps", 26},
    {"Flat 5th, Octave Down || -6 half steps", 31},
    {"5th, Octave Down || -5 half steps", 37},
    {"Flat 6th, Octave Down || -4 half steps", 42},
    {"6th, Octave Down || -3 half steps", 48},
    {"Flat 7th, Octave Down || -2 half steps", 53},
    {"Maj.7th, Octave Down || -1 half step", 59},
    {"Unison", 64},
    {"Flat 2nd || +1 half step", 68},
    {"2nd || +2 half steps", 74},
    {"Flat 3rd || +3 half steps", 79},
    {"3rd || +4 half steps", 84},
    {"4th || +5 half steps", 90},
    {"Flat 5th || +6 half steps", 95},
    {"5th || +7 half steps", 101},
    {"Flat 6th || +8 half steps", 106},
    {"6th || +9 half steps", 111},
    {"Flat 7th || +10 half steps", 116},
    {"Maj.7th || +11 half steps", 121},
    {"Octave || +12 half steps", 127},
};
int const DravikStepsOctaveHarmonyCount = rowCount(DravikStepsOctaveHarmonyTable);

DravikTableEntry const DravikSteps54HarmonyTable[] = {
    {"4th, Octave Down (5th Down) || -7 half steps", 0},
    {"Flat 5th, Octave Down || -6 half steps", 63},
    {"5th, Octave Down (4th Down) || -5 half steps", 127},
};
int const DravikSteps54HarmonyCount = rowCount(DravikSteps54HarmonyTable);

DravikTableEntry const DravikSteps43HarmonyTable[] = {
    {"5th, Octave Down (4th Down) || -5 half steps", 0},
    {"Flat 6th, Octave Down (3rd Down) || -4 half steps", 63},
    {"6th, Octave Down (flat 3rd Down) || -3 half steps", 127},
};
int const DravikSteps43HarmonyCount = rowCount(DravikSteps43HarmonyTable);

DravikTableEntry const DravikSteps57HarmonyTable[] = {
    {"5th || +7 half steps", 0},
    {"Flat 6th || +8 half steps", 40},
    {"6th || +9 half steps", 84},
    {"Flat 7th || +10 half steps", 127},
};
int const DravikSteps57HarmonyCount = rowCount(DravikSteps57HarmonyTable);

DravikTableEntry const DravikSteps56HarmonyTable[] = {
    {"5th || +7 half steps", 0},
    {"Flat 6th || +8 half steps", 64},
    {"6th || +9 half steps", 127},
};
int const DravikSteps56HarmonyCount = rowCount(DravikSteps56HarmonyTable);

DravikTableEntry const DravikSteps45HarmonyTable[] = {
    {"4th || +5 half steps", 0},
    {"Flat 5th || +6 half steps", 64},
    {"5th || +7 half steps", 127},
};
int const DravikSteps45HarmonyCount = rowCount(DravikSteps45HarmonyTable);

DravikTableEntry const DravikSteps34HarmonyTable[] = {
    {"3rd || +4 half steps", 0},
    {"4th || +5 half steps", 127},
};
int const DravikSteps34HarmonyCount = rowCount(DravikSteps34HarmonyTable);

DravikTableEntry const DravikSteps33HarmonyTable[] = {
    {"Flat 3rd || +3 half steps", 0},
    {"3rd || +4 half steps", 127},
};
int const DravikSteps33HarmonyCount = rowCount(DravikSteps33HarmonyTable);

DravikTableEntry const DravikSteps23HarmonyTable[] = {
    {"2nd || +2 half steps", 0},
    {"Flat 3rd || +3 half steps", 64},
    {"3rd || +4 half steps", 127},
};
int const DravikSteps23HarmonyCount = rowCount(DravikSteps23HarmonyTable);

DravikStepTableRef const DravikBaseSettingStepTable[] = {
    {DravikSteps2OctavesUpTable, DravikSteps2OctavesUpCount},
    {DravikStepsOctaveUpTable, DravikStepsOctaveUpCount},
    {DravikSteps5UpTable, DravikSteps5UpCount},
    {DravikSteps4UpTable, DravikSteps4UpCount},
    {DravikSteps2DownTable, DravikSteps2DownCount},
    {DravikSteps4DownTable, DravikSteps4DownCount},
    {DravikSteps5DownTable, DravikSteps5DownCount},
    {DravikStepsOctaveDownTable, DravikStepsOctaveDownCount},
    {DravikSteps2OctavesDownTable, DravikSteps2OctavesDownCount},
    {DravikStepsDiveBombTable, DravikStepsDiveBombCount},
    {DravikStepsOctaveHarmonyTable, DravikStepsOctaveHarmonyCount},
    {DravikSteps54HarmonyTable, DravikSteps54HarmonyCount},
    {DravikSteps43HarmonyTable, DravikSteps43HarmonyCount},
    {DravikSteps57HarmonyTable, DravikSteps57HarmonyCount},
    {DravikSteps56HarmonyTable, DravikSteps56HarmonyCount},
    {DravikSteps45HarmonyTable, DravikSteps45HarmonyCount},
    {DravikSteps34HarmonyTable, DravikSteps34HarmonyCount},
    {DravikSteps33HarmonyTable, DravikSteps33HarmonyCount},
    {DravikSteps23HarmonyTable, DravikSteps23HarmonyCount},
};
int const DravikBaseSettingStepCount = rowCount(DravikBaseSettingStepTable);

namespace {

struct TemplateBytes {
    unsigned char bytes[DravikDefaultTemplateSize];
};

// Built by its rule at compile time, so the 690 bytes cannot drift from it.
constexpr TemplateBytes makeDefaultTemplate()
{
    TemplateBytes image{};
    image.bytes[0] = 0xF0;
    for (int program = 1; program <= 19; ++program) {
        int const block = 36 * program - 35;
        image.bytes[block] = static_cast<unsigned char>(program);
        image.bytes[block + 1] = 0;        // "Loop, No Portamento"
        for (int step = 0; step < 16; ++step) {
            image.bytes[block + 2 + 2 * step] = 0;
            image.bytes[block + 3 + 2 * step] = 1;
        }
        image.bytes[block + 34] = 16;
        image.bytes[block + 35] = 37;      // "0.50"
    }
    image.bytes[685] = 17;                 // "fast Loop Portamento"
    image.bytes[686] = 25;                 // "fast Step Portamento"
    image.bytes[687] = 4;                  // "Whammy Only"
    image.bytes[688] = 14;                 // MIDI channel 15
    image.bytes[689] = 0xF7;
    return image;
}

constexpr TemplateBytes defaultTemplate = makeDefaultTemplate();

} // namespace

unsigned char const (&DravikDefaultTemplate)[DravikDefaultTemplateSize] = defaultTemplate.bytes;
