#include "app/editor/DravikSettingsImage.h"

#include "foundation/Assert.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int imageSize = DravikDefaultTemplateSize;
constexpr int firstGlobalByte = 685;
constexpr int lastGlobalByte = 688;
constexpr int oldModelImageSize = 546;
constexpr unsigned char sysExStart = 0xF0;
constexpr unsigned char sysExEnd = 0xF7;

// Program blocks follow the start byte: 1, 37, ..., 649.
int blockStart(int program)
{
    return 1 + DravikSettingsImage::programBlockSize * (program - 1);
}

int pedalByte(int step)
{
    return 2 + 2 * step;
}

int whammyByte(int step)
{
    return 3 + 2 * step;
}

bool isDataByte(int value)
{
    return value >= 0 && value < 0x80;
}

// The reason why data is no settings image, or null when it is one. A byte of
// 0x80 or more would break the System Exclusive message when it is sent.
char const* invalidReason(unsigned char const* data, int length)
{
    if (data == nullptr || (length != imageSize && length != oldModelImageSize))
        return "wrong size";
    if (length == oldModelImageSize)
        return "seems to be a Dravik MIDI 2 template";
    if (data[0] != sysExStart || data[imageSize - 1] != sysExEnd)
        return "MIDI markers missing";
    for (int program = 1; program <= DravikSettingsImage::programCount; ++program) {
        if (data[blockStart(program)] != program)
            return "invalid program marker";
    }
    if (!std::all_of(data + 1, data + imageSize - 1, isDataByte))
        return "invalid data byte";
    return nullptr;
}

} // namespace

DravikSettingsImage::DravikSettingsImage()
{
    Tr::bassert(DravikProgramCount == programCount);
    Tr::bassert(DravikStepCountCount == 15);
    Tr::bassert(DravikDefaultTemplateSize == 690);
    std::fill(baseSettings, baseSettings + programCount, DravikBaseSettingTable[1].value);
    std::memcpy(image, DravikDefaultTemplate, imageSize);
    normalise();
}

DravikSettingsImage::~DravikSettingsImage() = default;

int DravikSettingsImage::currentProgram() const
{
    return -1;
}

void DravikSettingsImage::refreshAfterLoad()
{
}

int DravikSettingsImage::getProgramTemplateIndex(int program) const
{
    if (program == -1)
        program = currentProgram();
    if (program < 1 || program > programCount)
        return -1;
    return blockStart(program);
}

Tr::Exception DravikSettingsImage::invalidImage(char const* reason)
{
    return Tr::Exception(Tr::BString("Not a valid template file: ") + reason);
}

void DravikSettingsImage::loadFromMem(unsigned char const* data, int length)
{
    if (char const* reason = invalidReason(data, length))
        throw invalidImage(reason);
    std::memmove(image, data, imageSize);
    normalise();
    refreshAfterLoad();
}

// Gives the half of each step pair that the program type does not use a fixed
// starting value, and takes the base setting of the other types from step 0.
void DravikSettingsImage::normalise()
{
    int const unisonPosition = DravikBaseSettingStepTable[1].table[0].value;
    int const octaveUpOn = DravikStepsDifferentSettingTable[3].value;
    for (int program = 1; program <= programCount; ++program) {
        unsigned char* block = image + blockStart(program);
        bool const differentSettings = block[1] == differentSettingsType;
        baseSettings[program - 1] = differentSettings ? DravikBaseSettingTable[1].value : block[whammyByte(0)];
        for (int step = 0; step < stepsPerProgram; ++step) {
            if (differentSettings)
                block[pedalByte(step)] = static_cast<unsigned char>(unisonPosition);
            else
                block[whammyByte(step)] = static_cast<unsigned char>(octaveUpOn);
        }
    }
}

void DravikSettingsImage::saveToMem(unsigned char* destination, int length) const
{
    Tr::bassert(length == imageSize);
    if (destination == nullptr || length != imageSize)
        return;
    std::memcpy(destination, image, imageSize);
    destination[0] = sysExStart;
    destination[imageSize - 1] = sysExEnd;
    for (int program = 1; program <= programCount; ++program) {
        unsigned char* block = destination + blockStart(program);
        block[0] = static_cast<unsigned char>(program);
        bool const differentSettings = block[1] == differentSettingsType;
        for (int step = 0; step < stepsPerProgram; ++step) {
            if (differentSettings)
                block[pedalByte(step)] = 0;
            else
                block[whammyByte(step)] = static_cast<unsigned char>(baseSettings[program - 1]);
        }
    }
}

void DravikSettingsImage::applyProgramValue(int offset, int value)
{
    int const index = getProgramTemplateIndex(-1);
    if (index < 0 || offset < 0 || offset >= programBlockSize || !isDataByte(value))
        return;
    image[index + offset] = static_cast<unsigned char>(value);
}

void DravikSettingsImage::applyStep(int step, int value, int program)
{
    Tr::bassert(step >= 0 && step < stepsPerProgram);
    int const index = getProgramTemplateIndex(program);
    if (index < 0 || step < 0 || step >= stepsPerProgram || !isDataByte(value))
        return;
    int const offset = stepMode == 1 ? whammyByte(step) : pedalByte(step);
    image[index + offset] = static_cast<unsigned char>(value);
}

void DravikSettingsImage::resetSteps(int program)
{
    int const index = getProgramTemplateIndex(program);
    if (index < 0)
        return;
    for (int step = 0; step < stepsPerProgram; ++step)
        image[index + pedalByte(step)] = 0;
}

void DravikSettingsImage::applyBaseSetting(int value, int program)
{
    if (program < 1)
        program = currentProgram();
    if (program < 1 || program > programCount || !isDataByte(value))
        return;
    baseSettings[program - 1] = value;
}

void DravikSettingsImage::applyGlobalValue(int index, int value)
{
    if (index < firstGlobalByte || index > lastGlobalByte || !isDataByte(value))
        return;
    image[index] = static_cast<unsigned char>(value);
}

int DravikSettingsImage::getByte(int index) const
{
    return index >= 0 && index < imageSize ? image[index] : -1;
}

int DravikSettingsImage::getBaseSetting(int program) const
{
    if (program == -1)
        program = currentProgram();
    return program >= 1 && program <= programCount ? baseSettings[program - 1] : -1;
}

bool DravikSettingsImage::changeStepView(int mode, int baseSetting)
{
    if (mode == stepMode && baseSetting == baseSettingShown)
        return false;
    stepMode = mode;
    baseSettingShown = baseSetting;
    return true;
}
