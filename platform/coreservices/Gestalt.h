#pragma once
// Stand-in for the CoreServices system-information query, answered from the
// running Linux kernel's version (uname's release text).

#include <cstdint>

typedef int16_t OSErr;
typedef uint32_t OSType;
typedef int32_t SInt32;

enum : OSType {
    // 'sysv': the system version in BCD form, 0x1068 for 10.6.8.
    gestaltSystemVersion = (OSType('s') << 24) | (OSType('y') << 16) | (OSType('s') << 8) | OSType('v')
};

enum : OSErr {
    gestaltUnknownErr = -5550,
    gestaltUndefSelectorErr = -5551
};

// Answers gestaltSystemVersion with the kernel's major.minor.patch in BCD form
// (major in bits 8 to 15 as two digits, minor and patch one digit each; a part
// too large for its digits is capped at 9, or 99 for the major). Returns 0 on
// success; gestaltUnknownErr when the version cannot be read, and
// gestaltUndefSelectorErr for any other selector. The response is written only
// on success.
OSErr Gestalt(OSType selector, SInt32* response);

// Converts a kernel release text such as "6.1.0-18-amd64" to that BCD form;
// false when it does not begin with a number.
bool GestaltVersionFromRelease(const char* release, SInt32* version);

// For tests: makes Gestalt read this release text instead of uname's; null
// restores uname.
void GestaltOverrideKernelRelease(const char* release);
