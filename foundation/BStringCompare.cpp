#include "foundation/BString.h"

#include "foundation/ByteString.h"

#include <algorithm>
#include <climits>

namespace Tr {

namespace {

bool sameChar(char a, char b, int ignoreCase)
{
    return ignoreCase ? btolower(a) == btolower(b) : a == b;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// Ignoring case, bytes are upper-cased and then ordered as signed bytes; a text that ends first
// sorts first. n < 0 compares the whole texts.
int compareIgnoringCase(char const* a, char const* b, int n)
{
    for (int i = 0; n < 0 || i < n; ++i) {
        auto ua = static_cast<signed char>(btoupper(a[i]));
        auto ub = static_cast<signed char>(btoupper(b[i]));
        if (ua != ub) {
            if (!ua || !ub)
                return ua ? 1 : -1;
            return ua < ub ? -1 : 1;
        }
        if (!ua)
            return 0;
    }
    return 0;
}

int compareTexts(char const* a, char const* b, int n, int ignoreCase)
{
    if (ignoreCase)
        return compareIgnoringCase(a, b, n);
    return sign(n < 0 ? bstrcmp(a, b) : bstrncmp(a, b, n));
}

} // namespace

int BString::compareWith(BString const& other, int ignoreCase) const
{
    return compareTexts(c_str(), other.c_str(), -1, ignoreCase);
}

int BString::sameAs(BString const& other, int ignoreCase) const
{
    return compareWith(other, ignoreCase) == 0;
}

int BString::equals(BString const& other) const
{
    return sameAs(other, 0);
}

int BString::equalsIgnoreCase(BString const& other) const
{
    return sameAs(other, 1);
}

int BString::compareFilename(BString const& other) const
{
    return compareWith(other, 0);
}

int BString::sameFilename(BString const& other) const
{
    return sameAs(other, 0);
}

// pos applies to other's text; it is held within that text.
int BString::compareWithSubstr(BString const& other, int pos, int n, int ignoreCase) const
{
    pos = std::min(std::max(pos, 0), other.length());
    return compareTexts(c_str(), other.c_str() + pos, n == INT_MAX ? -1 : n, ignoreCase);
}

int BString::sameAsSubstr(BString const& other, int pos, int n, int ignoreCase) const
{
    return compareWithSubstr(other, pos, n, ignoreCase) == 0;
}

int BString::equalsSubstr(BString const& other, int pos, int n) const
{
    return sameAsSubstr(other, pos, n, 0);
}

int BString::equalsSubstrIgnoreCase(BString const& other, int pos, int n) const
{
    return sameAsSubstr(other, pos, n, 1);
}

int BString::indexOf(char ch, int ignoreCase) const
{
    if (!ch)
        return -1;
    char const* t = c_str();
    for (int i = 0; t[i]; ++i)
        if (sameChar(t[i], ch, ignoreCase))
            return i;
    return -1;
}

int BString::find(char ch) const
{
    return indexOf(ch, 0);
}

int BString::indexOf(BString const& s, int ignoreCase) const
{
    if (s.isEmpty())
        return -1;
    if (ignoreCase)
        return toLower().indexOf(s.toLower(), 0);
    char const* hit = bstrstr(c_str(), s.c_str());
    return hit ? static_cast<int>(hit - c_str()) : -1;
}

int BString::indexOfAtOffset(BString const& s, int offset, int ignoreCase) const
{
    int len = length();
    if (offset < 0 || len == 0 || s.isEmpty() || offset > len - s.length())
        return -1;
    if (ignoreCase)
        return toLower().indexOfAtOffset(s.toLower(), offset, 0);
    char const* hit = bstrstr(c_str() + offset, s.c_str());
    return hit ? static_cast<int>(hit - c_str()) : -1;
}

int BString::lastIndexOf(char ch, int ignoreCase) const
{
    if (!ch)
        return -1;
    char const* t = c_str();
    for (int i = length() - 1; i >= 0; --i)
        if (sameChar(t[i], ch, ignoreCase))
            return i;
    return -1;
}

int BString::lastIndexOf(BString const& s, int ignoreCase) const
{
    int n = s.length();
    for (int i = length() - n; n > 0 && i >= 0; --i)
        if (compareTexts(c_str() + i, s.c_str(), n, ignoreCase) == 0)
            return i;
    return -1;
}

int BString::contains(BString const& s, int ignoreCase) const
{
    return indexOf(s, ignoreCase) >= 0;
}

int BString::contains(char ch, int ignoreCase) const
{
    return indexOf(ch, ignoreCase) >= 0;
}

int BString::startsWith(BString const& s, int ignoreCase) const
{
    return startsWithAtOffset(s, 0, ignoreCase);
}

int BString::startsWith(char ch, int ignoreCase) const
{
    return isNotEmpty() && sameChar(text()[0], ch, ignoreCase);
}

int BString::startsWithAtOffset(BString const& s, int pos, int ignoreCase) const
{
    int n = s.length();
    if (pos < 0 || n == 0 || pos > length() - n)
        return 0;
    return compareTexts(c_str() + pos, s.c_str(), n, ignoreCase) == 0;
}

int BString::endsWith(BString const& s, int ignoreCase) const
{
    int n = s.length();
    return n > 0 && n <= length() && startsWithAtOffset(s, length() - n, ignoreCase);
}

int BString::endsWith(char ch, int ignoreCase) const
{
    int len = length();
    return len > 0 && sameChar(text()[len - 1], ch, ignoreCase);
}

bool operator==(BString const& a, BString const& b)
{
    return a.compareWith(b) == 0;
}

bool operator!=(BString const& a, BString const& b)
{
    return !(a == b);
}

bool operator<(BString const& a, BString const& b)
{
    return a.compareWith(b) < 0;
}

bool operator>(BString const& a, BString const& b)
{
    return a.compareWith(b) > 0;
}

bool operator<=(BString const& a, BString const& b)
{
    return a.compareWith(b) <= 0;
}

bool operator>=(BString const& a, BString const& b)
{
    return a.compareWith(b) >= 0;
}

bool operator==(BString const& a, char const* b)
{
    return bstrcmp(a.c_str(), b ? b : "") == 0;
}

bool operator!=(BString const& a, char const* b)
{
    return !(a == b);
}

} // namespace Tr
