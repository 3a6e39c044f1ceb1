#include "foundation/BString.h"

#include "foundation/ByteString.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>

namespace Tr {

namespace {

char escapeLetter(char c, int quotes)
{
    switch (c) {
    case 0x08: return 'a';
    case '\t': return 't';
    case '\n': return 'n';
    case '\r': return 'r';
    case '\\': return '\\';
    case '"': return quotes ? '"' : 0;
    default: return 0;
    }
}

char unescapeLetter(char c)
{
    switch (c) {
    case 'a': return 0x08;
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    default: return c;
    }
}

BString concat(char const* a, int la, char const* b, int lb)
{
    BString result(a, la, la + lb);
    return result.append(b, lb);
}

} // namespace

BString BString::caseCopy(char (*change)(char)) const
{
    BString result(*this);
    result.makeUnique();
    for (char* p = result.text(); *p; ++p)
        *p = change(*p);
    result.changedInPlace();
    return result;
}

BString BString::toLower() const
{
    return caseCopy(btolower);
}

BString BString::toUpper() const
{
    return caseCopy(btoupper);
}

BString& BString::appendBytes(char const* bytes, int n)
{
    if (n <= 0)
        return *this;
    if (pointsIntoText(bytes))
        return appendBytes(BString(bytes, n).c_str(), n);
    int len = length();
    setCapacity(len + n);
    bmemcpy(text() + len, bytes, n);
    text()[len + n] = 0;
    changedInPlace();
    return *this;
}

BString& BString::append(BString const& s)
{
    return appendBytes(s.c_str(), s.length());
}

BString& BString::operator+=(BString const& s)
{
    return append(s);
}

BString& BString::append(char const* text, int maxLen)
{
    return appendBytes(text, bstrlen(text, maxLen));
}

BString& BString::operator+=(char const* text)
{
    return append(text, INT_MAX);
}

BString& BString::append(char ch)
{
    return appendBytes(&ch, ch ? 1 : 0);
}

BString& BString::operator+=(char ch)
{
    return append(ch);
}

BString& BString::erase(int pos, int n)
{
    int len = length();
    pos = std::max(pos, 0);
    if (pos >= len || n == 0)
        return *this;
    if (n < 0 || n > len - pos)
        n = len - pos;
    makeUnique();
    std::memmove(text() + pos, text() + pos + n, static_cast<size_t>(len - pos - n) + 1);
    changedInPlace();
    return *this;
}

// A negative position counts as 0 rather than reading before the text.
BString BString::substr(int pos, int n) const
{
    pos = std::max(pos, 0);
    if (n == 0 || (pos > 0 && pos >= length()))
        return BString();
    return BString(c_str() + pos, n < 0 ? INT_MAX : n);
}

BString BString::extractTokenizedString(int& pos, char sep) const
{
    int len = length();
    if (pos < 0 || pos >= len) {
        pos = len;
        return BString();
    }
    char const* t = c_str();
    int end = pos;
    while (end < len && t[end] != sep)
        ++end;
    BString token(t + pos, end - pos, len);
    pos = end < len ? end + 1 : end;
    return token;
}

// Matches are taken left to right without overlap; inserted text is not searched again.
// The result grows in a std::string: a BString counts its length at every append.
// The search stops at the first NUL, as strstr would, but measures the text once:
// strstr from each match would measure the rest again (the sanitizers' does).
BString BString::replaceAll(BString const& find, BString const& repl, int ignoreCase) const
{
    if (find.isEmpty())
        return *this;
    BString haystack = ignoreCase ? toLower() : *this;
    BString needle = ignoreCase ? find.toLower() : find;
    std::string_view searched(haystack.c_str());
    std::string_view wanted(needle.c_str());
    char const* text = c_str();
    std::string result;
    result.reserve(static_cast<std::size_t>(length()));
    std::size_t at = 0;
    for (std::size_t hit; (hit = searched.find(wanted, at)) != std::string_view::npos; at = hit + wanted.size())
        result.append(text + at, hit - at).append(repl.c_str());
    result.append(text + at, static_cast<std::size_t>(length()) - at);
    return BString(result.c_str(), static_cast<int>(result.size()));
}

BString BString::replaceOnce(BString const& find, BString const& repl, int ignoreCase) const
{
    int hit = indexOf(find, ignoreCase);
    if (hit < 0)
        return *this;
    int flen = find.length();
    BString result(c_str(), hit, length() - flen + repl.length());
    result.append(repl);
    return result.append(c_str() + hit + flen);
}

BString BString::escape(int quotes) const
{
    int len = length();
    BString result = withCapacity(2 * len);
    char* out = result.text();
    for (char const* p = c_str(); *p; ++p) {
        char letter = escapeLetter(*p, quotes);
        if (letter) {
            *out++ = '\\';
            *out++ = letter;
        } else {
            *out++ = *p;
        }
    }
    *out = 0;
    return result;
}

BString BString::unescape(int) const
{
    BString result = withCapacity(length());
    char* out = result.text();
    for (char const* p = c_str(); *p; ++p) {
        if (*p != '\\') {
            *out++ = *p;
        } else if (p[1]) {
            *out++ = unescapeLetter(*++p);
        }
    }
    *out = 0;
    return result;
}

BString BString::trim() const
{
    char const* t = c_str();
    int start = 0;
    int end = length();
    while (start < end && isWhiteSpace(t[start]))
        ++start;
    while (end > start && isWhiteSpace(t[end - 1]))
        --end;
    if (start == end)
        return BString();
    if (start == 0 && end == length())
        return *this;
    return BString(t + start, end - start);
}

BString BString::removeQuotes() const
{
    BString trimmed = trim();
    int len = trimmed.length();
    if (len >= 2 && trimmed[0] == '"' && trimmed[len - 1] == '"')
        return trimmed.substr(1, len - 2);
    return trimmed;
}

BString BString::removeWhiteSpace() const
{
    BString result = withCapacity(length());
    char* out = result.text();
    for (char const* p = c_str(); *p; ++p)
        if (!isWhiteSpace(*p))
            *out++ = *p;
    *out = 0;
    return result;
}

BString operator+(BString a, BString const& b)
{
    return concat(a.c_str(), a.length(), b.c_str(), b.length());
}

BString operator+(BString a, char const* b)
{
    return concat(a.c_str(), a.length(), b, bstrlen(b));
}

BString operator+(char const* a, BString const& b)
{
    return concat(a, bstrlen(a), b.c_str(), b.length());
}

BString operator+(char a, BString const& b)
{
    return concat(&a, a ? 1 : 0, b.c_str(), b.length());
}

BString operator+(BString a, char b)
{
    return concat(a.c_str(), a.length(), &b, b ? 1 : 0);
}

} // namespace Tr
