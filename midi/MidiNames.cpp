#include "midi/MidiNames.h"

namespace Tr {

namespace {

constexpr int controllerCount = 128;

constexpr char SMidiNoteNumbers[] = "C|C#|D|D#|E|F|F#|G|G#|A|A#|B";

// Indexed by controller number; an empty text means no name.
constexpr char const* DefaultControllerNames[controllerCount] = {
    "Bank Select MSB", "Modulation", "Breath Control", "", "Foot Controller", "Portamento Time", "Data MSB",
    "Channel Volume", "Balance", "", "Pan", "Expression", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "Bank Select LSB", "Modulation LSB", "Breath Control LSB", "", "Foot Controller LSB", "Portamento Time LSB",
    "Data LSB", "Channel Volume LSB", "Balance LSB", "", "Pan LSB", "Expression LSB", "Effect 1 LSB",
    "Effect 2 LSB", "", "", "General 1 LSB", "General 2 LSB", "General 3 LSB", "General 4 LSB",
    "", "", "", "", "", "", "", "", "", "", "", "",
    "Sustain", "Portamento", "Soft", "Sostenuto", "Legato", "Hold 2", "Sound Variation", "Timbre",
    "Release Time", "Attack Time", "Brightness", "", "", "", "", "",
    "", "", "", "", "Portamento Control", "", "", "", "", "", "", "Reverb", "Tremolo", "Chorus", "",
    "Phaser", "Data Entry +1", "Data Entry -1", "NRPN LSB", "NRPN MSB", "RPN LSB", "RPN MSB",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "All Sound off", "Reset Controllers", "Local Control Switch", "All Notes Off", "Omni Mode Off",
    "Omni Mode On", "Poly Mode Switch", "Poly Mode On"};

bool isDataByte(int value)
{
    return value >= 0 && value < controllerCount;
}

} // namespace

BString GetMidiNoteName(int note)
{
    if (!isDataByte(note))
        return BString();
    BString names(SMidiNoteNumbers);
    int pos = 0;
    BString name;
    for (int i = 0; i <= note % 12; ++i)
        name = names.extractTokenizedString(pos, '|');
    return name + BString::fromInt(note / 12 - 1);
}

// Numbers of 128 and above are unnamed: a received data byte may hold any value.
BString GetMidiControllerName(int number, int fallBack)
{
    if (!isDataByte(number))
        return BString();
    BString name(DefaultControllerNames[number]);
    if (name.isEmpty() && fallBack)
        return BString::format(SFController, BString::fromInt(number).c_str());
    return name;
}

} // namespace Tr
