#include "foundation/StringFunctions.h"

#include "foundation/ByteString.h"
#include "foundation/StringConversion.h"
#include "foundation/UString.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace Tr {

namespace {

// The text being rewritten: the bytes before the cursor, and those from the cursor on, kept
// zero-terminated at the end of one buffer so that they can be searched as they stand.
class RewrittenText
{
public:
    explicit RewrittenText(BString const& s) : rest(static_cast<size_t>(s.length()) + 1), at(0)
    {
        bmemcpy(rest.data(), s.c_str(), s.length() + 1);
    }

    // The offset of the next occurrence from the cursor, or -1.
    long find(BString const& what, int ic) const
    {
        char const* from = &rest[at];
        char const* hit = ic ? strcasestr(from, what.c_str()) : std::strstr(from, what.c_str());
        return hit ? hit - from : -1;
    }

    void skip(size_t n)
    {
        before.append(&rest[at], n);
        at += n;
    }

    void drop(size_t n) { at += n; }

    void insert(char const* bytes, size_t n)
    {
        if (at < n) {
            size_t gap = std::max(n, rest.size());
            std::vector<char> larger(gap + rest.size());
            std::copy(rest.begin() + static_cast<long>(at), rest.end(), larger.begin() + static_cast<long>(at + gap));
            at += gap;
            rest.swap(larger);
        }
        at -= n;
        std::copy(bytes, bytes + n, rest.begin() + static_cast<long>(at));
    }

    void stepBack(size_t n)
    {
        n = std::min(n, before.size());
        insert(before.data() + before.size() - n, n);
        before.resize(before.size() - n);
    }

    BString text() const { return BString(before.c_str()) + &rest[at]; }

private:
    std::string before;
    std::vector<char> rest;
    size_t at;
};

// Well above what one pass of plain replacements can make, so only a text that keeps growing
// from replacements inside replacements reaches it.
long long growthLimit(long long length, long long findLength, long long replLength)
{
    long long onePass = length + length / findLength * std::max(0LL, replLength - findLength);
    return std::min<long long>(INT_MAX / 2, std::max(1LL << 20, 16 * std::min<long long>(onePass, INT_MAX)));
}

// The value of n hex digits; false when a byte is not one or the value needs more than 32 bits.
bool hexValue(char const* digits, int n, int& value)
{
    unsigned long long result = 0;
    for (int i = 0; i < n; ++i) {
        int digit = HexToInt(digits[i]);
        if (digit < 0)
            return false;
        result = result * 16 + static_cast<unsigned>(digit);
        if (result > 0xFFFFFFFFULL)
            return false;
    }
    value = static_cast<int>(static_cast<unsigned int>(result));
    return true;
}

} // namespace

int StrStartsWith(BString const& s, BString const& prefix, int ic)
{
    if (s.length() < prefix.length())
        return 0;
    return prefix.isEmpty() || s.startsWith(prefix, ic);
}

int StrStartsWith(std::wstring const& s, std::wstring const& prefix, int ic)
{
    if (s.size() < prefix.size())
        return 0;
    if (ic)
        return StrStartsWith(StringFrom(s), StringFrom(prefix), ic);
    return std::wcsncmp(s.c_str(), prefix.c_str(), prefix.size()) == 0;
}

int StrEndsWith(BString const& s, BString const& suffix, int ic)
{
    if (s.length() < suffix.length())
        return 0;
    return suffix.isEmpty() || s.endsWith(suffix, ic);
}

int StrEndsWith(BString const& s, char c, int ic)
{
    return s.endsWith(c, ic);
}

char UpCase(char c)
{
    return btoupper(c);
}

char LoCase(char c)
{
    return btolower(c);
}

BString LowerCase(BString const& s)
{
    return s.toLower();
}

BString UpperCase(BString const& s)
{
    return s.toUpper();
}

BString Trim(BString const& s)
{
    return s.trim();
}

// Rescanning from the start after each replacement finds what rescanning from just before the
// replacement finds: the text before that point held no occurrence and is unchanged. So each
// replacement costs only its own length. The growth limit bounds the text, and a budget of
// replacements the work, also where the text never grows (the result is then s unchanged).
BString StrReplaceAll(BString const& s, BString const& find, BString const& repl, int ic)
{
    if (find.isEmpty() || repl.contains(find, ic))
        return s;
    size_t findLength = static_cast<size_t>(find.length());
    size_t replLength = static_cast<size_t>(repl.length());
    long long length = s.length();
    long long limit = growthLimit(length, find.length(), repl.length());
    long long replacementsLeft = 64 * limit / static_cast<long long>(findLength + replLength);
    RewrittenText text(s);
    for (long hit; (hit = text.find(find, ic)) >= 0;) {
        length += static_cast<long long>(replLength) - static_cast<long long>(findLength);
        if (length > limit || --replacementsLeft < 0)
            return s;
        text.skip(static_cast<size_t>(hit));
        text.drop(findLength);
        text.insert(repl.c_str(), replLength);
        text.stepBack(findLength - 1);
    }
    return text.text();
}

BString StrReplaceOnce(BString const& s, BString const& find, BString const& repl, int ic)
{
    return s.replaceOnce(find, repl, ic);
}

BString ExtractTokenizedString(BString const& s, int& pos, char sep)
{
    int length = s.length();
    pos = std::min(std::max(pos, 0), length);
    int end = pos;
    while (end < length && s[end] != sep)
        ++end;
    BString token = s.substr(pos, end - pos);
    pos = end;
    return token;
}

int HexToIntD(BString const& s, int def)
{
    int value = 0;
    return hexValue(s.c_str(), s.length(), value) ? value : def;
}

int HexToInt(char c)
{
    if (!BString::isHexNumberChar(c))
        return -1;
    return BString::isNumberChar(c) ? c - '0' : btoupper(c) - 'A' + 10;
}

int HexToInt(BString const& s)
{
    return HexToIntD(s, -1);
}

int HexToIntPos(BString const& s, int pos, int n, int& out)
{
    out = 0;
    if (n <= 0)
        return 1;
    if (pos < 1 || pos - 1 > s.length() - n)
        return 0;
    int value = 0;
    if (!hexValue(s.c_str() + pos - 1, n, value))
        return 0;
    out = value;
    return 1;
}

int HexToIntPos(BString const& s, int pos, int n)
{
    int value = 0;
    return HexToIntPos(s, pos, n, value) ? value : -1;
}

BString IntToHexLen(int v, int minDigits, int maxDigits)
{
    if (maxDigits < 1 || maxDigits > 8)
        maxDigits = 8;
    BString digits = BString::toHex(static_cast<unsigned int>(v), std::min(minDigits, maxDigits));
    return digits.substr(std::max(0, digits.length() - maxDigits));
}

BString IntToHex(int v)
{
    return IntToHexLen(v, 1, 8);
}

BString IntToHex(int v, int minDigits)
{
    return IntToHexLen(v, minDigits, 8);
}

void IntToHexLenPos(BString& s, int v, int pos, int n)
{
    int length = s.length();
    if (n <= 0 || pos < 1 || pos > length)
        return;
    BString eight = BString::toHex(static_cast<unsigned int>(v), 8);
    int count = std::min(n, length - pos + 1);
    BString digits;
    for (int k = n - 1; k > n - 1 - count; --k)
        digits += k < 8 ? eight[7 - k] : '0';
    s = s.substr(0, pos - 1) + digits + s.substr(pos - 1 + digits.length());
}

int StrToInt(BString const& s)
{
    long value = std::strtol(s.c_str(), nullptr, 10);
    return static_cast<int>(std::min<long>(std::max<long>(value, INT_MIN), INT_MAX));
}

int StrToInt(BString const& s, int& out)
{
    char const* p = s.c_str();
    bool negative = *p == '-';
    long long value = 0;
    for (p += negative ? 1 : 0; *p; ++p) {
        if (!BString::isNumberChar(*p))
            return 0;
        value = value * 10 + (*p - '0');
        if (value > (negative ? 2147483648LL : 2147483647LL))
            return 0;
    }
    out = static_cast<int>(negative ? -value : value);
    return 1;
}

int StrToIntDef(BString const& s, int def)
{
    int value = def;
    return StrToInt(s, value) ? value : def;
}

int StrToInt(char c)
{
    return BString::parseIntChar(c);
}

int IsNumberChar(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) ? 1 : 0;
}

int IsHexNumberChar(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) ? 1 : 0;
}

int IsLetterOrNumberChar(char c)
{
    return BString::isLetterOrNumberChar(c);
}

int IsLetterOrNumberChar(wchar_t c)
{
    return BString::isLetterOrNumberChar(c);
}

int IsWhiteSpace(char c)
{
    return BString::isWhiteSpace(c);
}

int SameString(BString const& a, BString const& b)
{
    return bstrcmp(a.c_str(), b.c_str()) == 0;
}

int CompareString(BString const& a, BString const& b)
{
    return bstrcmp(a.c_str(), b.c_str());
}

int CompareText(BString const& a, BString const& b)
{
    return a.compareWith(b, 1);
}

BString EscapeString(BString const& s)
{
    return s.escape(0);
}

BString UnEscapeString(BString const& s)
{
    return s.unescape();
}

BString RemoveQuotes(BString const& s)
{
    return s.removeQuotes();
}

BString RemoveFileExtension(BString const& s)
{
    return s.removeFileExtension();
}

BString ExtractFileExtension(BString const& s)
{
    return s.extractFileExtension();
}

BString ExtractFileName(BString const& s)
{
    return s.extractFileName();
}

BString ExtractFileNameWithoutExtension(BString const& s)
{
    return s.extractFileNameWithoutExtension();
}

BString ChangeFileExt(BString const& s, BString const& newExt)
{
    return s.changeFileExt(newExt);
}

BString ExtractFileDir(BString const& s)
{
    int slash = s.lastIndexOf('/');
    if (slash >= 1)
        return s.substr(0, slash);
    return slash == 0 ? BString("/") : UString::Empty();
}

BString AddLastBackSlash(BString const& s)
{
    return s.isEmpty() ? s : s.addLastBackSlash();
}

void SetString(BString& s, char const* data, int n)
{
    s.assign(data, n < 0 ? INT_MAX : n);
}

} // namespace Tr
