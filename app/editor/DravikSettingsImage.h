#pragma once

#include "app/editor/DravikTables.h"
#include "foundation/Exception.h"

// The settings image of the device: one 690-byte System Exclusive message holding
// 19 program blocks of 36 bytes (from byte 1) and four global values (bytes 685-688).
// Checks, reads, normalises, edits and writes it without any window, so the panel
// that shows it derives from this class and plugs its controls into the two hooks.
class DravikSettingsImage {
public:
    static constexpr int programCount = 19;
    static constexpr int stepsPerProgram = 16;
    static constexpr int programBlockSize = 36;
    // The program type whose steps hold Whammy settings rather than pedal positions.
    static constexpr int differentSettingsType = 5;

    DravikSettingsImage();
    virtual ~DravikSettingsImage();

    DravikSettingsImage(DravikSettingsImage const&) = delete;
    DravikSettingsImage& operator=(DravikSettingsImage const&) = delete;

    // Index of the program's first byte (1, 37, ..., 649); -1 for no such program.
    // A program of -1 means the current program.
    int getProgramTemplateIndex(int program) const;

    // Checks the data and takes it as the new image; throws Tr::Exception and
    // changes nothing when it is not a valid settings image.
    void loadFromMem(unsigned char const* data, int length);

    // Writes the stored form of the image; a length other than 690 writes nothing.
    void saveToMem(unsigned char* destination, int length) const;

    // Writes one byte of the current program's block (offset 0 to 35, value 0 to 127).
    void applyProgramValue(int offset, int value);

    // Writes step 0 to 15's Whammy setting in step mode 1, else its pedal position.
    void applyStep(int step, int value, int program);

    // Sets the program's 16 pedal positions to 0.
    void resetSteps(int program);

    // Stores the program's base setting; a program below 1 means the current program.
    void applyBaseSetting(int value, int program);

    // Writes one of the global bytes 685 to 688; other places and values
    // outside 0 to 127 are ignored.
    void applyGlobalValue(int index, int value);

    // A byte of the image as edited (index 0 to 689), -1 for any other index.
    int getByte(int index) const;

    // The base setting of a program (1 to 19; -1 means the current program),
    // -1 for no such program.
    int getBaseSetting(int program) const;

    // Records what the step combo boxes show: step mode 1 (Whammy settings) or
    // 2 (pedal positions), for a base setting. True when that differs from what
    // they showed, so that their list must change; the first view always does.
    bool changeStepView(int mode, int baseSetting);

protected:
    // The exception that refuses data as a settings image, with the reason.
    static Tr::Exception invalidImage(char const* reason);

    // The program (1 to 19) that the program combo box selects, or -1 for none.
    virtual int currentProgram() const;
    // Run at the end of loadFromMem: show the image in the controls, clear the modified mark.
    virtual void refreshAfterLoad();

private:
    void normalise();

    // 0 until the steps were first shown, 1 = steps show Whammy settings, 2 = pedal positions.
    int stepMode = 0;
    // Base setting of the last full refill of the step combo boxes.
    int baseSettingShown = -1;
    unsigned char image[DravikDefaultTemplateSize];
    // A DravikBaseSettingTable value per program, index program - 1.
    int baseSettings[programCount];
};
