#include "midi/MidiLibraryHelpers.h"

#include "midi/OpenMidiDevices.h"

namespace Tr {

const char* const VirtualMidiDevices[] = {"LB1",           "LB2",     "LB3",           "LB4",   "MIDI Yoke Junction:",
                                          "MIDI Yoke NT:", "LoopBE",  "Sonic Foundry", "Maple", nullptr};
const char* const SF_WouldBecomeVirtualLoop = "Opening \"%s\" would create a virtual feedback loop !";
const char* const SUnspecifiedError = "Unspecified error";

bool IsMidiDeviceVirtualDriver(BString const& name)
{
    for (const char* const* prefix = VirtualMidiDevices; *prefix; ++prefix)
        if (name.startsWith(*prefix))
            return true;
    return false;
}

bool WouldBecomeVirtualMidiLoop(int dir, BString const& name)
{
    if (!IsMidiDeviceVirtualDriver(name) || (dir != 0 && dir != 1))
        return false;
    return IsMidiDeviceOpen(1 - dir, name);
}

BString RemoveWindowsNumberedPrefix(BString const& name)
{
    int digits = 0;
    while (BString::isNumberChar(name.charAt(digits)))
        ++digits;
    if (digits == 0 || name.charAt(digits) != '-')
        return name;
    int start = digits + 1;
    while (start < name.length() && (unsigned char)name.charAt(start) < '!')
        ++start;
    return name.substr(start);
}

int toInt(unsigned char lsb, unsigned char msb)
{
    return lsb + 128 * msb - 8192;
}

unsigned char toLSB(int value)
{
    return (unsigned char)((value + 8192) % 128);
}

unsigned char toMSB(int value)
{
    return (unsigned char)((value + 8192) / 128);
}

int UtoInt(unsigned char lsb, unsigned char msb)
{
    return lsb + 128 * msb;
}

unsigned char UtoLSB(int value)
{
    return (unsigned char)(value % 128);
}

unsigned char UtoMSB(int value)
{
    return (unsigned char)(value / 128);
}

} // namespace Tr
