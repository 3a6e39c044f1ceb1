#include "foundation/BString.h"

#include "foundation/BUnicodeUtils.h"
#include "foundation/ByteString.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

namespace Tr {

namespace {

int toUtf8(unsigned short const* src, unsigned char* out, int max)
{
    return BUnicodeUtils::convert16to8(src, out, max);
}

int toUtf8(unsigned int const* src, unsigned char* out, int max)
{
    return BUnicodeUtils::convert32to8(src, out, max);
}

unsigned int const* utf32(wchar_t const* text)
{
    return reinterpret_cast<unsigned int const*>(text);
}

BStringOtherRepresentations& otherFormsOf(BStringContainer* container)
{
    if (!container->otherForms) {
        void* record = std::calloc(1, sizeof(BStringOtherRepresentations));
        if (!record)
            throw std::bad_alloc();
        container->otherForms = static_cast<BStringOtherRepresentations*>(record);
    }
    return *container->otherForms;
}

// Converts the text into the kept buffer, which grows when it is too small. A form that is
// still valid (the text has not changed since) is returned as it is.
template <typename Unit>
Unit const* fillForm(Unit*& buffer, int& capacity, int& valid, char const* text,
                     int (*convert)(unsigned char const*, Unit*, int))
{
    if (valid && buffer)
        return buffer;
    auto const* bytes = reinterpret_cast<unsigned char const*>(text);
    int n = convert(bytes, nullptr, INT_MAX);
    if (capacity < n + 1) {
        std::free(buffer);
        buffer = static_cast<Unit*>(std::malloc(sizeof(Unit) * (static_cast<size_t>(n) + 1)));
        capacity = buffer ? n + 1 : 0;
        if (!buffer)
            throw std::bad_alloc();
    }
    convert(bytes, buffer, INT_MAX);
    valid = 1;
    return buffer;
}

// An empty text never touches its container: the process-wide empty container is shared by
// every thread.
unsigned short const emptyUtf16[1] = {0};
unsigned int const emptyUtf32[1] = {0};

} // namespace

BString::BString(unsigned short const* text, int maxUnits, int minCapacity)
    : BString(static_cast<char const*>(nullptr), 0, std::max(minCapacity, toUtf8(text, nullptr, maxUnits)))
{
    putUnits(text, maxUnits, false);
}

BString::BString(unsigned int const* text, int maxCodePoints, int minCapacity)
    : BString(static_cast<char const*>(nullptr), 0, std::max(minCapacity, toUtf8(text, nullptr, maxCodePoints)))
{
    putUnits(text, maxCodePoints, false);
}

BString::BString(wchar_t const* text, int maxCodePoints, int minCapacity)
    : BString(utf32(text), maxCodePoints, minCapacity)
{
}

// Text taken from this string's own UTF-16 or UTF-32 form is converted into a string of its
// own first: making room may free the container, and the form with it.
template <typename Unit>
BString& BString::putUnits(Unit const* units, int max, bool replace)
{
    if (pointsIntoOtherForms(units)) {
        BString converted(units, max);
        return replace ? assign(converted) : append(converted);
    }
    int n = toUtf8(units, nullptr, max);
    if (replace)
        eraseWithNewCapacity(n);
    if (n == 0)
        return *this;
    int len = length();
    setCapacity(len + n);
    toUtf8(units, reinterpret_cast<unsigned char*>(text() + len), max);
    changedInPlace();
    return *this;
}

bool BString::pointsIntoOtherForms(void const* p) const
{
    BStringOtherRepresentations const* other = c->otherForms;
    if (!p || !other)
        return false;
    auto inBlock = [p](void const* block, size_t bytes) {
        auto at = static_cast<char const*>(p);
        auto start = static_cast<char const*>(block);
        return block && at >= start && at < start + bytes;
    };
    return inBlock(other->utf16, sizeof(unsigned short) * static_cast<size_t>(other->utf16Capacity))
           || inBlock(other->utf32, sizeof(unsigned int) * static_cast<size_t>(other->utf32Capacity));
}

BString& BString::assign(unsigned short const* text, int maxUnits)
{
    return putUnits(text, maxUnits, true);
}

BString& BString::assign(unsigned int const* text, int maxCodePoints)
{
    return putUnits(text, maxCodePoints, true);
}

BString& BString::assign(wchar_t const* text, int maxCodePoints)
{
    return putUnits(utf32(text), maxCodePoints, true);
}

BString& BString::assign(wchar_t c)
{
    return assign(&c, 1);
}

BString BString::fromChar(wchar_t c)
{
    return BString(&c, 1);
}

BString& BString::append(unsigned short const* text, int maxUnits)
{
    return putUnits(text, maxUnits, false);
}

BString& BString::operator+=(unsigned short const* text)
{
    return append(text, INT_MAX);
}

BString& BString::append(unsigned int const* text, int maxCodePoints)
{
    return putUnits(text, maxCodePoints, false);
}

BString& BString::operator+=(unsigned int const* text)
{
    return append(text, INT_MAX);
}

BString& BString::append(wchar_t const* text, int maxCodePoints)
{
    return putUnits(utf32(text), maxCodePoints, false);
}

BString& BString::operator+=(wchar_t const* text)
{
    return append(text, INT_MAX);
}

BString& BString::append(wchar_t c)
{
    return append(&c, 1);
}

BString& BString::operator+=(wchar_t c)
{
    return append(c);
}

unsigned short const* BString::toUTF16() const
{
    if (isEmpty())
        return emptyUtf16;
    BStringOtherRepresentations& other = otherFormsOf(c);
    return fillForm(other.utf16, other.utf16Capacity, other.utf16Valid, c_str(), BUnicodeUtils::convert8to16);
}

unsigned int const* BString::toUTF32() const
{
    if (isEmpty())
        return emptyUtf32;
    BStringOtherRepresentations& other = otherFormsOf(c);
    int (*convert)(unsigned char const*, unsigned int*, int) = BUnicodeUtils::convert8to32;
    return fillForm(other.utf32, other.utf32Capacity, other.utf32Valid, c_str(), convert);
}

wchar_t const* BString::toWChar() const
{
    return reinterpret_cast<wchar_t const*>(toUTF32());
}

int BString::uniLength() const
{
    return BUnicodeUtils::uniLen(reinterpret_cast<unsigned char const*>(c_str()));
}

unsigned int BString::uniCharAt(int i) const
{
    return toUTF32()[i];
}

wchar_t BString::wcharAt(int i) const
{
    return toWChar()[i];
}

BString BString::uniSubstr(int pos, int n) const
{
    unsigned int const* units = toUTF32();
    pos = std::max(pos, 0);
    if (n == 0 || (pos > 0 && pos >= BUnicodeUtils::len(units)))
        return BString();
    return BString(units + pos, n < 0 ? INT_MAX : n);
}

// The case is changed in a copy of the UTF-32 form: the form belongs to the shared container.
BString BString::uniCaseCopy(wchar_t (*change)(wchar_t)) const
{
    wchar_t const* units = toWChar();
    std::vector<wchar_t> copy(units, units + BUnicodeUtils::uniLen(units) + 1);
    for (wchar_t& unit : copy)
        unit = change(unit);
    return BString(copy.data());
}

BString BString::uniToLower() const
{
    return uniCaseCopy(btolower);
}

BString BString::uniToUpper() const
{
    return uniCaseCopy(btoupper);
}

bool operator==(BString const& a, wchar_t const* b)
{
    return a == BString(b);
}

bool operator!=(BString const& a, wchar_t const* b)
{
    return !(a == b);
}

BString operator+(wchar_t const* a, BString const& b)
{
    return BString(a).append(b);
}

BString operator+(wchar_t a, BString const& b)
{
    return BString::fromChar(a).append(b);
}

BString operator+(BString a, wchar_t const* b)
{
    return a.append(b);
}

BString operator+(BString a, wchar_t b)
{
    return a.append(b);
}

} // namespace Tr
