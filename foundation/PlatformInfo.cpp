#include "foundation/PlatformInfo.h"

#include "platform/coreservices/Gestalt.h"

namespace Tr {

std::atomic<int> MacVersion{-1};

namespace {

// The cached version, querying the system when it is not known yet; -1 on failure.
int systemVersion()
{
    int known = MacVersion.load();
    if (known != -1)
        return known;
    SInt32 response = 0;
    if (Gestalt(gestaltSystemVersion, &response) != 0)
        return -1;
    MacVersion.store(response);
    return response;
}

// Whether the version is at least 10.(minor + 1).
int isAtLeastTenPoint(int minorBelow)
{
    int major = getOSVersionMajor();
    if (major != 10)
        return major > 10;
    return getOSVersionMinor() > minorBelow;
}

} // namespace

BString getEditionName()
{
    return BString();
}

int needPlatform()
{
    return systemVersion() != -1;
}

int getOSVersionMajor()
{
    int version = systemVersion();
    if (version == -1)
        return 0;
    int bcd = (version >> 8) & 0xFF;
    return (bcd >> 4) * 10 + (bcd & 0xF);
}

int getOSVersionMinor()
{
    int version = systemVersion();
    return version == -1 ? 0 : (version >> 4) & 0xF;
}

int getOSVersionMinorMinor()
{
    int version = systemVersion();
    return version == -1 ? 0 : version & 0xF;
}

BString getOSVersionString()
{
    if (!needPlatform())
        return BString("(unknown OS version)");
    return BString::format("%d.%d.%d", getOSVersionMajor(), getOSVersionMinor(), getOSVersionMinorMinor());
}

int isTiger()
{
    return isAtLeastTenPoint(3);
}

int isLeopard()
{
    return isAtLeastTenPoint(4);
}

int isSnowleopard()
{
    return isAtLeastTenPoint(5);
}

int isLion()
{
    return isAtLeastTenPoint(6);
}

} // namespace Tr
