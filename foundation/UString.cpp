#include "foundation/UString.h"

#include "foundation/TIniFile.h"

#include <cstdio>
#include <vector>

namespace Tr {

namespace {

char const languageFile[] = "Language.ini";
char const languageSection[] = "strings";

BString formatWhole(char const* fmt, va_list args)
{
    if (!fmt)
        return BString();
    va_list measure;
    va_copy(measure, args);
    int n = std::vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    if (n < 0)
        return BString();
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
    return BString(buffer.data(), n);
}

// The format is the caller's string, so it cannot be checked here.
BString formatText(char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BString result = formatWhole(fmt, args);
    va_end(args);
    return result;
}

TIniFile const& languageStrings()
{
    static TIniFile const strings = [] {
        TIniFile file(languageFile);
        file.ReadFromFileNoException();
        return file;
    }();
    return strings;
}

} // namespace

BString const& UString::Empty()
{
    static BString const empty;
    return empty;
}

BString UString::FromInt(int v)
{
    return BString::fromInt(v);
}

BString UString::FromInt(long long v)
{
    return BString::fromInt(v);
}

BString UString::FormatV(char const* fmt, va_list args)
{
    return formatWhole(fmt, args);
}

BString UString::FormatV(BString const& fmt, va_list args)
{
    return formatWhole(fmt.c_str(), args);
}

BString UString::FormatS1(BString const& fmt, BString const& a)
{
    return formatText(fmt.c_str(), a.c_str());
}

BString UString::FormatS1(BString const& fmt, int a)
{
    return formatText(fmt.c_str(), a);
}

BString UString::FormatS2(BString const& fmt, BString const& a, BString const& b)
{
    return formatText(fmt.c_str(), a.c_str(), b.c_str());
}

BString UString::FormatS2(BString const& fmt, BString const& a, int b)
{
    return formatText(fmt.c_str(), a.c_str(), b);
}

BString UString::FormatS3(BString const& fmt, BString const& a, int b, int c)
{
    return formatText(fmt.c_str(), a.c_str(), b, c);
}

BString UString::FormatS3(BString const& fmt, BString const& a, BString const& b, BString const& c)
{
    return formatText(fmt.c_str(), a.c_str(), b.c_str(), c.c_str());
}

BString UString::FormatS4(BString const& fmt, BString const& a, BString const& b, BString const& c,
                          BString const& d)
{
    return formatText(fmt.c_str(), a.c_str(), b.c_str(), c.c_str(), d.c_str());
}

BString UString::FormatS5(BString const& fmt, BString const& a, BString const& b, BString const& c,
                          BString const& d, BString const& e)
{
    return formatText(fmt.c_str(), a.c_str(), b.c_str(), c.c_str(), d.c_str(), e.c_str());
}

BString UString::FormatS6(BString const& fmt, BString const& a, BString const& b, BString const& c,
                          BString const& d, BString const& e, BString const& f)
{
    return formatText(fmt.c_str(), a.c_str(), b.c_str(), c.c_str(), d.c_str(), e.c_str(), f.c_str());
}

BString UString::charToString(char c)
{
    return BString::fromChar(c);
}

BString UString::ResourceString(char const* key)
{
    return languageStrings().ReadString(languageSection, key, key);
}

BString FormatV(char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BString result = formatWhole(fmt, args);
    va_end(args);
    return result;
}

BString Format(char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BString result = formatWhole(fmt, args);
    va_end(args);
    return result;
}

BString FtoStr(double x, int, int)
{
    return Format("%3.1f", x);
}

BString formatMidiMessage(unsigned char const* data, int n)
{
    return BString::toHexDump(data, n);
}

} // namespace Tr
