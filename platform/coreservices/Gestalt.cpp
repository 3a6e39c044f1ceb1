#include "platform/coreservices/Gestalt.h"

#include <sys/utsname.h>

#include <cctype>
#include <mutex>
#include <string>

namespace {

std::mutex overrideLock;
bool overrideSet = false;
std::string overrideRelease;

// Reads one decimal number at p, capped at limit; false when p holds no digit.
bool readPart(const char*& p, int limit, int& value)
{
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        if (value < limit)
            value = value * 10 + (*p - '0');
    if (value > limit)
        value = limit;
    return true;
}

// The next part after a dot, or 0 when the release has no such part.
int optionalPart(const char*& p)
{
    int value = 0;
    if (*p == '.') {
        ++p;
        readPart(p, 9, value);
    }
    return value;
}

bool currentRelease(std::string& release)
{
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        if (overrideSet) {
            release = overrideRelease;
            return true;
        }
    }
    struct utsname names;
    if (uname(&names) != 0)
        return false;
    release = names.release;
    return true;
}

} // namespace

bool GestaltVersionFromRelease(const char* release, SInt32* version)
{
    if (release == nullptr)
        return false;
    const char* p = release;
    int major = 0;
    if (!readPart(p, 99, major))
        return false;
    int minor = optionalPart(p);
    int patch = optionalPart(p);
    *version = ((major / 10) << 12) | ((major % 10) << 8) | (minor << 4) | patch;
    return true;
}

OSErr Gestalt(OSType selector, SInt32* response)
{
    if (selector != gestaltSystemVersion)
        return gestaltUndefSelectorErr;
    std::string release;
    SInt32 version = 0;
    if (!currentRelease(release) || !GestaltVersionFromRelease(release.c_str(), &version))
        return gestaltUnknownErr;
    *response = version;
    return 0;
}

void GestaltOverrideKernelRelease(const char* release)
{
    std::lock_guard<std::mutex> guard(overrideLock);
    overrideSet = release != nullptr;
    overrideRelease = release ? release : "";
}
