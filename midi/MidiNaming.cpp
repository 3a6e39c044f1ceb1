#include "midi/MidiNaming.h"

#include "midi/MidiNames.h"

#include <string>

namespace Tr {

namespace GetMidiStringNameImplNS {

namespace {

struct SingleByteName
{
    int status;
    char const* name;
};

constexpr SingleByteName singleByteNames[] = {
    {0xF6, SMidiTuneRequest}, {0xF8, SMidiTimingClock},   {0xFA, SMidiMTCStart},    {0xFB, SMidiMTCContinue},
    {0xFC, SMidiMTCStop},     {0xFE, SMidiActiveSensing}, {0xFF, SMidiSystemReset},
};

// Exactly the two characters at the 0-based index, so that a blank inside the
// pair never lets the hexadecimal parser read on into the next pair.
int readPair(BString const& text, int index, BString& shown)
{
    BString pair(text.c_str() + index, 2);
    if (!BString::isHexNumberChar(pair[0]) || !BString::isHexNumberChar(pair[1])) {
        shown = pair;
        return -1;
    }
    int value = static_cast<int>(pair.parseHex());
    shown = BString::fromInt(value);
    return value;
}

bool bothGiven(_context1_t const& c)
{
    return c.data1 >= 0 && c.data2 >= 0;
}

BString joinedDataTexts(_context1_t const& c)
{
    return c.data1Text + "," + c.data2Text;
}

bool isDataEntry(int controller)
{
    return controller == 6 || controller == 38;
}

// The next message of an NRPN/RPN sequence: same status, a value, and a place
// for its controller that is still empty.
bool continuesSequence(_context2_t& p, int status, bool dataEntryOnly)
{
    _context1_t& c = p.message;
    readVars(c);
    if (c.status != status || c.data2 < 0 || (dataEntryOnly && !isDataEntry(c.data1)))
        return false;
    return select(p, c.data1, c.data2Text) != 0;
}

bool parameterNumberComplete(_context2_t const& p)
{
    return (p.nrpnMsb.isNotEmpty() && p.nrpnLsb.isNotEmpty()) || (p.rpnMsb.isNotEmpty() && p.rpnLsb.isNotEmpty());
}

BString sequenceText(_context2_t const& p)
{
    BString text = p.nrpnMsb.isNotEmpty() ? BString::format(SFFNRPN, p.nrpnMsb.c_str(), p.nrpnLsb.c_str())
                                          : BString::format(SFFRPN, p.rpnMsb.c_str(), p.rpnLsb.c_str());
    if (p.dataEntryLsb.isNotEmpty() || p.dataEntryMsb.isNotEmpty())
        text += ", data:";
    if (p.dataEntryLsb.isNotEmpty())
        text += " LSB: " + p.dataEntryLsb;
    if (p.dataEntryMsb.isNotEmpty())
        text += " MSB: " + p.dataEntryMsb;
    return text;
}

// Tries an NRPN or RPN sequence of two to four controller messages; false
// (consumed undefined) when the messages do not form one.
bool readSequence(_context2_t& p)
{
    _context1_t& c = p.message;
    int status = c.status;
    select(p, c.data1, c.data2Text);
    c.consumed = 6;
    if (!continuesSequence(p, status, false) || !parameterNumberComplete(p))
        return false;
    for (int taken = 12; taken <= 18; taken += 6) {
        c.consumed = taken;
        if (!continuesSequence(p, status, true))
            return true;
    }
    c.consumed = 24;
    return true;
}

// The quarter-frame byte holds the number of the time-code piece (high nibble)
// and that piece's value (low nibble).
BString quarterFrame(_context1_t const& c)
{
    if (c.data1 < 0)
        return BString::format(SFFMidiMTCQuarterFrame, c.data1Text.c_str(), "");
    return BString::format(SFFMidiMTCQuarterFrame, BString::fromInt(c.data1 >> 4).c_str(),
                           BString::fromInt(c.data1 & 0x0F).c_str());
}

BString nameSingleByte(_context1_t& c)
{
    for (SingleByteName const& entry : singleByteNames)
        if (entry.status == c.status && cl(c, 2))
            return BString(entry.name);
    return BString();
}

BString nameSystemMessage(_context1_t& c)
{
    switch (c.status) {
    case 0xF1:
        return cl(c, 4) ? quarterFrame(c) : BString();
    case 0xF2:
        return cl(c, 6) ? BString::format(SFMidiSongPositionPointer, GetSongPos(c).c_str()) : BString();
    case 0xF3:
        return cl(c, 4) ? BString::format(SFMidiSongSelect, c.data1Text.c_str()) : BString();
    default:
        return nameSingleByte(c);
    }
}

BString nameChannelMessage(_context1_t& c)
{
    char const* channel = c.channel.c_str();
    switch (c.status >> 4) {
    case 0x8:
        return cl(c, 6) ? BString::format(SFFFMidiNoteOff, channel, GetNoteName(c).c_str(), c.data2Text.c_str())
                        : BString();
    case 0x9:
        return cl(c, 6) ? BString::format(SFFFMidiNoteOn, channel, GetNoteName(c).c_str(), c.data2Text.c_str())
                        : BString();
    case 0xA:
        return cl(c, 6) ? BString::format(SFFFMidiPolyphonicAftertouch, channel, GetNoteName(c).c_str(),
                                          c.data2Text.c_str())
                        : BString();
    case 0xB:
        return cl(c, 6) ? GetControllerMessage(c) : BString();
    case 0xC:
        return cl(c, 4) ? BString::format(SFFMidiProgramChange, channel, c.data1Text.c_str()) : BString();
    case 0xD:
        return cl(c, 4) ? BString::format(SFFMidiChannelPressure, channel, c.data1Text.c_str()) : BString();
    case 0xE:
        return cl(c, 6) ? BString::format(SFFMidiPitchWheel, channel, GetPitch(c).c_str()) : BString();
    default:
        return BString();
    }
}

} // namespace

_context1_t::_context1_t(BString const& text, int length, int position, int& consumed)
    : text(text), position(position), consumed(consumed), remaining(length - position + 1)
{
}

void readVars(_context1_t& c)
{
    int offset = c.consumed;
    int at = c.position - 1 + offset;
    c.status = c.data1 = c.data2 = -1;
    c.channel = c.data1Text = c.data2Text = BString();
    BString shown;
    if (c.remaining >= offset + 2) {
        c.status = readPair(c.text, at, shown);
        if (c.status >= 0)
            c.channel = BString::fromInt((c.status & 0x0F) + 1);
    }
    if (c.remaining >= offset + 4)
        c.data1 = readPair(c.text, at + 2, c.data1Text);
    if (c.remaining >= offset + 6)
        c.data2 = readPair(c.text, at + 4, c.data2Text);
}

BString nameMessage(_context1_t& c)
{
    c.consumed = 0;
    readVars(c);
    if (c.status < 0x80)
        return BString();
    return c.status >= 0xF0 ? nameSystemMessage(c) : nameChannelMessage(c);
}

BString GetNoteName(_context1_t const& c)
{
    if (c.data1 < 0)
        return BString::format(SFNote, c.data1Text.c_str());
    return GetMidiNoteName(c.data1) + BString::format(" (#%d)", c.data1);
}

BString GetController(_context1_t const& c)
{
    if (c.data1 < 0)
        return BString::format(SFController, c.data1Text.c_str());
    BString name = GetMidiControllerName(c.data1, 0);
    if (name.isEmpty())
        return BString::format(" #%d", c.data1);
    return name + BString::format(" (#%d)", c.data1);
}

BString GetControllerMessage(_context1_t& c)
{
    if (c.data1 >= 98 && c.data1 <= 101 && c.remaining > 11) {
        _context2_t sequence(c);
        if (readSequence(sequence))
            return sequenceText(sequence);
    }
    c.consumed = 0;
    readVars(c);
    c.consumed = 6;
    return BString::format(SFFFMidiControlChange, c.channel.c_str(), GetController(c).c_str(), c.data2Text.c_str());
}

BString GetPitch(_context1_t const& c)
{
    if (!bothGiven(c))
        return joinedDataTexts(c);
    int v = c.data1 + 128 * c.data2 - 8192;
    if (v <= 0)
        return BString::format("%3.1lf", v / 8192.0 * 100) + "%";
    return "+" + BString::format("%3.1lf", v / 8191.0 * 100) + "%";
}

BString GetSongPos(_context1_t const& c)
{
    if (!bothGiven(c))
        return joinedDataTexts(c);
    return BString::fromInt(c.data1 + 128 * c.data2);
}

int select(_context2_t& p, int controller, BString const& value)
{
    switch (controller) {
    case 99: return sl(p.nrpnMsb, value);
    case 98: return sl(p.nrpnLsb, value);
    case 101: return sl(p.rpnMsb, value);
    case 100: return sl(p.rpnLsb, value);
    case 6: return sl(p.dataEntryMsb, value);
    case 38: return sl(p.dataEntryLsb, value);
    default: return 0;
    }
}

int sl(BString& place, BString const& value)
{
    if (place.isNotEmpty())
        return 0;
    place = value;
    return 1;
}

int cl(_context1_t& c, int count)
{
    if (c.remaining < count)
        return 0;
    c.consumed = count;
    return 1;
}

} // namespace GetMidiStringNameImplNS

using namespace GetMidiStringNameImplNS;

namespace {

constexpr char separator[] = " - ";

// The byte pairs from the 1-based position on, each followed by a blank; an odd
// character at the end stands alone.
void appendPairs(std::string& out, BString const& text, int length, int position)
{
    char const* t = text.c_str();
    for (int i = position - 1; i < length; ++i) {
        out += t[i];
        if (i % 2 == 1)
            out += ' ';
    }
}

} // namespace

BString GetMidiStringName(BString const& hexText, int fallBack)
{
    BString text = hexText.removeWhiteSpace();
    int length = text.length();
    std::string out;
    for (int position = 1; position <= length;) {
        int consumed = 0;
        _context1_t message(text, length, position, consumed);
        BString name = nameMessage(message);
        if (!out.empty())
            out += separator;
        if (name.isEmpty() || consumed <= 0) {
            appendPairs(out, text, length, position);
            break;
        }
        out += name.c_str();
        position += consumed;
    }
    if (out.empty() && fallBack)
        return hexText;
    return BString(out.c_str());
}

BString GetMidiStringNameImpl(BString const& text, int position, int& consumed)
{
    consumed = 0;
    int length = text.length();
    if (position < 1 || position > length)
        return BString();
    _context1_t message(text, length, position, consumed);
    return nameMessage(message);
}

} // namespace Tr
