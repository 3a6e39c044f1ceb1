#pragma once

// Value tables of the device: each byte of the settings image takes its meaning
// and the text a combo box shows for it from one of these tables.

// One row of a value table: the text shown and the byte stored in the image.
// A combo box item made from a row has item id value + 1 (id 0 = no selection).
struct DravikTableEntry {
    char const* text;
    int value;
};

// One row of DravikBaseSettingStepTable: the step table of a base setting.
struct DravikStepTableRef {
    DravikTableEntry const* table;
    int count;
};

extern DravikTableEntry const DravikProgramTable[];
extern int const DravikProgramCount;
extern DravikTableEntry const DravikProgramTypeTable[];
extern int const DravikProgramTypeCount;
extern DravikTableEntry const DravikStepCountTable[];
extern int const DravikStepCountCount;
extern DravikTableEntry const DravikBaseSettingTable[];
extern int const DravikBaseSettingCount;
extern DravikTableEntry const DravikStepsDifferentSettingTable[];
extern int const DravikStepsDifferentSettingCount;
extern DravikTableEntry const DravikMIDIChannelTable[];
extern int const DravikMIDIChannelCount;
extern DravikTableEntry const DravikOutputTypeTable[];
extern int const DravikOutputTypeCount;
extern DravikTableEntry const DravikPortamentoRateLoopTable[];
extern int const DravikPortamentoRateLoopCount;
extern DravikTableEntry const DravikPortamentoRateStepTable[];
extern int const DravikPortamentoRateStepCount;
extern DravikTableEntry const DravikTempoTable[];
extern int const DravikTempoCount;

// Step tables: the pedal position that plays each interval under one base setting.
extern DravikTableEntry const DravikSteps2OctavesUpTable[];
extern int const DravikSteps2OctavesUpCount;
extern DravikTableEntry const DravikStepsOctaveUpTable[];
extern int const DravikStepsOctaveUpCount;
extern DravikTableEntry const DravikSteps5UpTable[];
extern int const DravikSteps5UpCount;
extern DravikTableEntry const DravikSteps4UpTable[];
extern int const DravikSteps4UpCount;
extern DravikTableEntry const DravikSteps2DownTable[];
extern int const DravikSteps2DownCount;
extern DravikTableEntry const DravikSteps4DownTable[];
extern int const DravikSteps4DownCount;
extern DravikTableEntry const DravikSteps5DownTable[];
extern int const DravikSteps5DownCount;
extern DravikTableEntry const DravikStepsOctaveDownTable[];
extern int const DravikStepsOctaveDownCount;
extern DravikTableEntry const DravikSteps2OctavesDownTable[];
extern int const DravikSteps2OctavesDownCount;
extern DravikTableEntry const DravikStepsDiveBombTable[];
extern int const DravikStepsDiveBombCount;
extern DravikTableEntry const DravikStepsOctaveHarmonyTable[];
extern int const DravikStepsOctaveHarmonyCount;
extern DravikTableEntry const DravikSteps54HarmonyTable[];
extern int const DravikSteps54HarmonyCount;
extern DravikTableEntry const DravikSteps43HarmonyTable[];
extern int const DravikSteps43HarmonyCount;
extern DravikTableEntry const DravikSteps57HarmonyTable[];
extern int const DravikSteps57HarmonyCount;
extern DravikTableEntry const DravikSteps56HarmonyTable[];
extern int const DravikSteps56HarmonyCount;
extern DravikTableEntry const DravikSteps45HarmonyTable[];
extern int const DravikSteps45HarmonyCount;
extern DravikTableEntry const DravikSteps34HarmonyTable[];
extern int const DravikSteps34HarmonyCount;
extern DravikTableEntry const DravikSteps33HarmonyTable[];
extern int const DravikSteps33HarmonyCount;
extern DravikTableEntry const DravikSteps23HarmonyTable[];
extern int const DravikSteps23HarmonyCount;

// Indexed by the row position of a base setting in DravikBaseSettingTable (not by its value).
extern DravikStepTableRef const DravikBaseSettingStepTable[];
extern int const DravikBaseSettingStepCount;

// The built-in settings image: every program "Loop, No Portamento", 16 steps at
// pedal position 0 and Whammy setting 1, duration 0.50 s; fast portamento rates,
// "Whammy Only", MIDI base channel 15.
constexpr int DravikDefaultTemplateSize = 690;
extern unsigned char const (&DravikDefaultTemplate)[DravikDefaultTemplateSize];
