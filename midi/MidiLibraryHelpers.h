#pragma once

// Library helpers of the device layer that no operation of the editor calls.

#include "foundation/BString.h"

namespace Tr {

// Name prefixes of loopback MIDI drivers, ending with null.
extern const char* const VirtualMidiDevices[];
// "Opening \"%s\" would create a virtual feedback loop !" (the port name).
extern const char* const SF_WouldBecomeVirtualLoop;
extern const char* const SUnspecifiedError;

// Whether the name begins (case counting) with a loopback driver's prefix.
bool IsMidiDeviceVirtualDriver(BString const& name);
// Whether opening this loopback port would feed back into an open port of the
// other direction (dir 1 = input, 0 = output).
bool WouldBecomeVirtualMidiLoop(int dir, BString const& name);
// "12- Foo" gives "Foo": digits, a '-' and the blanks and control characters after
// it are removed; any other name is returned unchanged.
BString RemoveWindowsNumberedPrefix(BString const& name);

// 14-bit values in two 7-bit bytes, least significant first: signed around 8192,
// or unsigned. Values outside -8192..8191 (0..16383) are outside their range.
int toInt(unsigned char lsb, unsigned char msb);
unsigned char toLSB(int value);
unsigned char toMSB(int value);
int UtoInt(unsigned char lsb, unsigned char msb);
unsigned char UtoLSB(int value);
unsigned char UtoMSB(int value);

} // namespace Tr
