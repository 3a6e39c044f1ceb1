#include "foundation/StringConversion.h"

#include "foundation/BUnicodeUtils.h"
#include "foundation/UString.h"
#include "platform/corefoundation/CFString.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <vector>

namespace Tr {

namespace {

// Four bytes a character, but never more than this.
CFIndex const largestMacRomanBuffer = 500000;

} // namespace

std::wstring WStringFrom(BString const& s)
{
    auto const* bytes = reinterpret_cast<unsigned char const*>(s.c_str());
    std::vector<unsigned int> units(static_cast<size_t>(BUnicodeUtils::convert8to32(bytes, nullptr, INT_MAX)) + 1);
    BUnicodeUtils::convert8to32(bytes, units.data(), INT_MAX);
    return std::wstring(units.begin(), units.end() - 1);
}

int GetWStringLength(wchar_t const* s)
{
    return s ? static_cast<int>(std::wcslen(s)) : 0;
}

BString StringFrom(wchar_t const* s)
{
    return BString(s);
}

BString StringFrom(std::wstring const& s)
{
    return BString(s.c_str());
}

BString StringFrom(__CFString const* s)
{
    CFIndex length = CFStringGetLength(s);
    if (length == 0)
        return UString::Empty();
    CFIndex size = std::min(4 * length + 1, largestMacRomanBuffer);
    std::vector<char> buffer(static_cast<size_t>(size));
    if (!CFStringGetCString(s, buffer.data(), size, kCFStringEncodingMacRoman))
        return BString();
    buffer.back() = 0;
    return BString(buffer.data());
}

__CFString const* CFStringFrom(BString const& s)
{
    return CFStringCreateWithCString(kCFAllocatorDefault, s.c_str(), kCFStringEncodingMacRoman);
}

} // namespace Tr
