#pragma once
// The edition name and the operating-system version tests.

#include "foundation/BString.h"

#include <atomic>

namespace Tr {

BString getEditionName();

// The system version in BCD form (0x1068 for 10.6.8), -1 until the first
// successful query; a failed query leaves it at -1 so the next call asks again.
extern std::atomic<int> MacVersion;

int needPlatform();
// The three parts of the version; 0 when it cannot be queried.
int getOSVersionMajor();
int getOSVersionMinor();
int getOSVersionMinorMinor();
// "major.minor.minorminor", or "(unknown OS version)".
BString getOSVersionString();
// At least 10.4, 10.5, 10.6 and 10.7 respectively.
int isTiger();
int isLeopard();
int isSnowleopard();
int isLion();

} // namespace Tr
