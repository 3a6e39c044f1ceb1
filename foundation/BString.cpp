#include "foundation/BString.h"

#include "foundation/ByteString.h"
#include "platform/cocoa/NSString.h"
#include "platform/corefoundation/CFString.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace Tr {

namespace {

BStringContainer* newContainer(int capacity)
{
    capacity = std::max(capacity, 0);
    void* block = std::malloc(sizeof(BStringContainer) + static_cast<size_t>(capacity) + 1);
    if (!block)
        throw std::bad_alloc();
    auto* container = new (block) BStringContainer;
    container->refCount.store(1, std::memory_order_relaxed);
    container->otherForms = nullptr;
    container->capacity = capacity;
    container->text()[0] = 0;
    return container;
}

BStringContainer* retain(BStringContainer* container)
{
    container->refCount.fetch_add(1, std::memory_order_relaxed);
    return container;
}

void release(BStringContainer* container)
{
    if (container->refCount.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return;
    if (BStringOtherRepresentations* other = container->otherForms) {
        std::free(other->utf16);
        std::free(other->utf32);
        std::free(other);
    }
    container->~BStringContainer();
    std::free(container);
}

bool isShared(BStringContainer const* container)
{
    return container->refCount.load(std::memory_order_acquire) != 1;
}

// A container of capacity max(minCapacity, copied length) holding at most maxLen bytes of text.
BStringContainer* copyOf(char const* text, int maxLen, int minCapacity)
{
    int n = bstrlen(text, maxLen);
    BStringContainer* container = newContainer(std::max(n, minCapacity));
    bmemcpy(container->text(), text, n);
    container->text()[n] = 0;
    return container;
}

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
        if (!a[i] || !b[i])
            return a[i] ? 1 : (b[i] ? -1 : 0);
        auto ua = static_cast<signed char>(btoupper(a[i]));
        auto ub = static_cast<signed char>(btoupper(b[i]));
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
    return 0;
}

int compareTexts(char const* a, char const* b, int n, int ignoreCase)
{
    if (ignoreCase)
        return compareIgnoringCase(a, b, n);
    return sign(n < 0 ? bstrcmp(a, b) : bstrncmp(a, b, n));
}

char const hexTable[] = "0123456789ABCDEF";

// An empty string whose container already holds capacity bytes, for writing into directly.
BString withCapacity(int capacity)
{
    return BString(static_cast<char const*>(nullptr), 0, capacity);
}

BString decimal(unsigned long long magnitude, bool negative)
{
    char digits[24];
    char* p = digits + sizeof digits;
    *--p = 0;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (negative)
        *--p = '-';
    return BString(p);
}

BString hexDigits(unsigned long long v, int minDigits, int maxDigits)
{
    int needed = 1;
    while (needed < 16 && (v >> (4 * needed)))
        ++needed;
    int count = std::min(std::max({needed, minDigits, 1}), maxDigits);
    char digits[17];
    for (int i = 0; i < count; ++i)
        digits[i] = hexTable[(v >> (4 * (count - 1 - i))) & 0xF];
    digits[count] = 0;
    return BString(digits);
}

// Positions 1 and 2 of parsing: where the number may start, or -1 when the request fails.
int parseStart(char const* text, int length, int pos, int n)
{
    if (pos < 0 || (pos > 0 && pos >= length) || n == 0 || !text[pos])
        return -1;
    while (BString::isWhiteSpace(text[pos]))
        ++pos;
    return pos;
}

bool endsNumber(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

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

// The container of the process-wide empty string lives in static storage and is constant-initialised,
// so it exists before any static constructor runs and after every static destructor. Its count starts
// at 2: one reference belongs to the block itself, so it is never freed and never changed in place.
struct EmptyBlock
{
    BStringContainer header;
    char text[1];
};

static_assert(offsetof(EmptyBlock, text) == sizeof(BStringContainer), "the text follows the header");

EmptyBlock emptyBlock = {{{2}, nullptr, 0}, {0}};

} // namespace

const BString BString::empty(&emptyBlock.header);

BString::BString() : c(retain(empty.c)) {}

BString::BString(BString const& other) : c(retain(other.c)) {}

BString::BString(BString const& other, int maxLen, int minCapacity)
    : c(maxLen == INT_MAX && minCapacity < 0 ? retain(other.c) : copyOf(other.c_str(), maxLen, minCapacity))
{
}

BString::BString(char const* text, int maxLen, int minCapacity) : c(copyOf(text, maxLen, minCapacity)) {}

BString::BString(unsigned char const* text, int maxLen, int minCapacity)
    : c(copyOf(reinterpret_cast<char const*>(text), maxLen, minCapacity))
{
}

BString::BString(__CFString const* text) : BString()
{
    CFIndex units = text ? CFStringGetLength(text) : 0;
    CFIndex size = CFStringGetMaximumSizeForEncoding(units, kCFStringEncodingUTF8);
    if (units == 0 || size < 0 || size >= INT_MAX)
        return;
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    if (CFStringGetCString(text, buffer.data(), size + 1, kCFStringEncodingUTF8))
        replaceContainer(copyOf(buffer.data(), INT_MAX, -1));
}

BString::BString(NSString* text)
    : c(copyOf(text ? text->cStringUsingEncoding(NSUTF8StringEncoding) : nullptr, INT_MAX, -1))
{
}

BString::~BString()
{
    release(c);
}

BString& BString::operator=(BString const& other)
{
    return assign(other);
}

BString& BString::assign(BString const& other)
{
    if (other.c != c) {
        BStringContainer* old = c;
        c = retain(other.c);
        release(old);
    }
    return *this;
}

BString& BString::assign(char const* text, int maxLen)
{
    if (pointsIntoText(text))
        return assign(BString(text, maxLen));
    int n = bstrlen(text, maxLen);
    eraseWithNewCapacity(n);
    return appendBytes(text, n);
}

BString& BString::assign(char c)
{
    return assign(&c, 1);
}

char const* BString::c_str() const
{
    return c->text();
}

char const* BString::toUTF8() const
{
    return c->text();
}

__CFString const* BString::toCFString() const
{
    return CFStringCreateWithCString(kCFAllocatorDefault, c_str(), kCFStringEncodingUTF8);
}

NSString* BString::toNSString() const
{
    return NSString::stringWithCString(c_str(), NSUTF8StringEncoding);
}

int BString::length() const
{
    return bstrlen(c->text());
}

int BString::getCapacity() const
{
    return c->capacity;
}

int BString::isEmpty() const
{
    return c->text()[0] == 0;
}

int BString::isNotEmpty() const
{
    return c->text()[0] != 0;
}

char BString::operator[](int i) const
{
    return c->text()[i];
}

char BString::charAt(int i) const
{
    return c->text()[i];
}

char* BString::text() const
{
    return c->text();
}

bool BString::pointsIntoText(char const* p) const
{
    auto at = reinterpret_cast<std::uintptr_t>(p);
    auto start = reinterpret_cast<std::uintptr_t>(c->text());
    return p && at >= start && at <= start + static_cast<std::uintptr_t>(c->capacity);
}

void BString::replaceContainer(BStringContainer* container) const
{
    BStringContainer* old = c;
    c = container;
    release(old);
}

void BString::changedInPlace()
{
    if (BStringOtherRepresentations* other = c->otherForms) {
        other->utf16Valid = 0;
        other->utf32Valid = 0;
    }
}

void BString::setCapacity(int n) const
{
    if (!isShared(c) && c->capacity >= n)
        return;
    replaceContainer(copyOf(c->text(), INT_MAX, std::max(n, c->capacity)));
}

void BString::makeUnique(int n) const
{
    setCapacity(n < 0 ? c->capacity : n);
}

void BString::eraseWithNewCapacity(int n)
{
    if (c->capacity < n || isShared(c))
        replaceContainer(newContainer(n));
    else
        text()[0] = 0;
    changedInPlace();
}

void BString::clear()
{
    if (isShared(c)) {
        assign(BString());
        return;
    }
    text()[0] = 0;
    changedInPlace();
}

void BString::setLength(int n)
{
    if (n > length()) {
        setCapacity(n);
        return;
    }
    makeUnique();
    text()[std::max(n, 0)] = 0;
    changedInPlace();
}

BString BString::fromChar(char c)
{
    return BString(&c, 1);
}

BString BString::fromInt(int v)
{
    return fromInt(static_cast<long long>(v));
}

BString BString::fromInt(long long v)
{
    auto magnitude = static_cast<unsigned long long>(v);
    return decimal(v < 0 ? 0 - magnitude : magnitude, v < 0);
}

BString BString::fromInt(unsigned int v)
{
    return decimal(v, false);
}

BString BString::fromInt(unsigned long long v)
{
    return decimal(v, false);
}

// Measured first, so any width, precision or value fits; a negative width pads on the right.
BString BString::fromDouble(double x, int width, int precision)
{
    int n = std::snprintf(nullptr, 0, "%*.*f", width, precision, x);
    if (n < 0)
        return BString();
    BString result = withCapacity(n);
    std::snprintf(result.text(), static_cast<size_t>(n) + 1, "%*.*f", width, precision, x);
    return result;
}

BString BString::toHex(unsigned short v, int minDigits)
{
    return hexDigits(v, minDigits, 4);
}

BString BString::toHex(unsigned int v, int minDigits)
{
    return hexDigits(v, minDigits, 8);
}

BString BString::toHex(unsigned long long v, int minDigits)
{
    return hexDigits(v, minDigits, 16);
}

BString BString::toHexDump(unsigned char const* data, int n)
{
    if (!data || n <= 0)
        return BString();
    BString result = withCapacity(3 * n);
    char* out = result.text();
    for (int i = 0; i < n; ++i) {
        *out++ = hexTable[data[i] >> 4];
        *out++ = hexTable[data[i] & 0xF];
        *out++ = ' ';
    }
    out[-1] = 0;
    return result;
}

int BString::isNumber() const
{
    char const* p = c_str();
    if (!*p)
        return 0;
    if (*p == '-')
        ++p;
    for (; *p; ++p)
        if (!isNumberChar(*p))
            return 0;
    return 1;
}

// The value is gathered wider than int, so a number outside the int range fails instead of wrapping.
int BString::parseInt(int& out, int pos, int n) const
{
    char const* t = c_str();
    int at = parseStart(t, length(), pos, n);
    if (at < 0)
        return 0;
    bool negative = t[at] == '-';
    at += negative ? 1 : 0;
    long long limit = negative ? 2147483648LL : 2147483647LL;
    long long value = 0;
    for (int read = 0; (n < 0 || read < n) && !endsNumber(t[at]); ++read, ++at) {
        if (!isNumberChar(t[at]))
            return 0;
        value = value * 10 + (t[at] - '0');
        if (value > limit)
            return 0;
    }
    out = static_cast<int>(negative ? -value : value);
    return 1;
}

int BString::parseInt() const
{
    return parseIntDef(0);
}

int BString::parseIntDef(int def) const
{
    int value = def;
    parseInt(value);
    return value;
}

int BString::parseHex(unsigned int& out, int pos, int n) const
{
    char const* t = c_str();
    int at = parseStart(t, length(), pos, n);
    if (at < 0)
        return 0;
    unsigned long long value = 0;
    for (int read = 0; (n < 0 || read < n) && !endsNumber(t[at]); ++read, ++at) {
        int digit = hexValue(t[at]);
        if (digit < 0)
            return 0;
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFULL)
            return 0;
    }
    out = static_cast<unsigned int>(value);
    return 1;
}

unsigned int BString::parseHex() const
{
    return parseHexDef(0);
}

unsigned int BString::parseHexDef(unsigned int def) const
{
    unsigned int value = def;
    parseHex(value);
    return value;
}

int BString::parseIntChar(char c)
{
    return isNumberChar(c) ? c - '0' : -1;
}

int BString::isNumberChar(char c)
{
    return c >= '0' && c <= '9';
}

int BString::isHexNumberChar(char c)
{
    return hexValue(c) >= 0;
}

int BString::isLetterOrNumberChar(char c)
{
    return isNumberChar(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int BString::isLetterOrNumberChar(wchar_t c)
{
    return biswalnum(c);
}

int BString::isWhiteSpace(char c)
{
    auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

char BString::loCase(char c)
{
    return btolower(c);
}

char BString::upCase(char c)
{
    return btoupper(c);
}

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
BString BString::replaceAll(BString const& find, BString const& repl, int ignoreCase) const
{
    if (find.isEmpty())
        return *this;
    BString haystack = ignoreCase ? toLower() : *this;
    BString needle = ignoreCase ? find.toLower() : find;
    int len = length();
    int flen = find.length();
    long long reserve = len + 4LL * flen;
    BString result = withCapacity(static_cast<int>(std::min<long long>(reserve, INT_MAX - 1)));
    int at = 0;
    while (at < len) {
        int hit = haystack.indexOfAtOffset(needle, at, 0);
        if (hit < 0) {
            result.appendBytes(c_str() + at, len - at);
            break;
        }
        result.appendBytes(c_str() + at, hit - at);
        result.append(repl);
        at = hit + flen;
    }
    return result;
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

int BString::hasFileExtension(int& slash, int& dot) const
{
    slash = lastIndexOf('/');
    dot = lastIndexOf('.');
    return dot >= 0 && dot > slash;
}

BString BString::extractFileName() const
{
    return substr(lastIndexOf('/') + 1);
}

BString BString::extractFileDir() const
{
    BString dir(*this);
    if (dir.endsWith('/'))
        dir.setLength(dir.length() - 1);
    int slash = dir.lastIndexOf('/');
    if (slash >= 1)
        return dir.substr(0, slash);
    return slash == 0 ? BString("/") : BString();
}

BString BString::extractFileExtension() const
{
    int slash, dot;
    return hasFileExtension(slash, dot) ? substr(dot) : BString();
}

BString BString::removeFileExtension() const
{
    int slash, dot;
    return hasFileExtension(slash, dot) ? substr(0, dot) : *this;
}

BString BString::extractFileNameWithoutExtension() const
{
    int slash, dot;
    if (hasFileExtension(slash, dot))
        return substr(slash + 1, dot - slash - 1);
    return substr(slash + 1);
}

BString BString::changeFileExt(BString const& newExt) const
{
    int slash, dot;
    return (hasFileExtension(slash, dot) ? substr(0, dot) : *this) + newExt;
}

BString BString::addLastBackSlash() const
{
    return endsWith('/') ? *this : *this + '/';
}

BString BString::format(char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BString result = formatList(fmt, args);
    va_end(args);
    return result;
}

BString BString::formatUnchecked(char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BString result = formatList(fmt, args);
    va_end(args);
    return result;
}

// Output up to 32767 bytes comes back whole; longer output or a formatting error gives the empty
// string. The first attempt uses a 1024-byte stack buffer; a longer result is formatted once more,
// from a fresh copy of the arguments, straight into a container of the measured size.
BString BString::formatList(char const* fmt, va_list args)
{
    if (!fmt)
        return BString();
    char buffer[1024];
    va_list attempt;
    va_copy(attempt, args);
    int n = std::vsnprintf(buffer, sizeof buffer, fmt, attempt);
    va_end(attempt);
    if (n < 0 || n >= 32768)
        return BString();
    if (n < static_cast<int>(sizeof buffer))
        return BString(buffer, n);
    BString result = withCapacity(n);
    va_copy(attempt, args);
    int written = std::vsnprintf(result.text(), static_cast<size_t>(n) + 1, fmt, attempt);
    va_end(attempt);
    return written == n ? result : BString();
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
