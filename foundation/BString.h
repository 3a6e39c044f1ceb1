#pragma once

#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <type_traits>

struct __CFString;
class NSString;

namespace Tr {

// UTF-16 and UTF-32 forms of a container's text, made on request and kept with the container.
struct BStringOtherRepresentations
{
    unsigned short* utf16;
    int utf16Capacity;
    int utf16Valid;
    unsigned int* utf32;
    int utf32Capacity;
    int utf32Valid;
};

// One malloc block: this header, then capacity + 1 text bytes.
struct BStringContainer
{
    std::atomic<int> refCount;
    BStringOtherRepresentations* otherForms;
    int capacity;

    char* text() { return reinterpret_cast<char*>(this + 1); }
};

// The container of the process-wide empty string lives in static storage and is constant-initialised,
// so it exists before any static constructor runs and after every static destructor. It is never
// counted: its count stays at 2, so it is never freed and never changed in place, and threads that
// make and drop empty strings do not contend for one count.
struct BStringEmptyBlock
{
    BStringContainer header;
    char text[1];
};

// UTF-8 text in a shared, reference-counted container; a change copies the container first
// when it is shared or too small. Lengths and positions count bytes.
class BString
{
public:
    static const BString empty;

    BString() noexcept : c(&emptyBlock.header) {}
    BString(BString const& other) noexcept : c(retain(other.c)) {}
    BString(BString const& other, int maxLen, int minCapacity);
    BString(char const* text, int maxLen = INT_MAX, int minCapacity = -1);
    BString(unsigned char const* text, int maxLen = INT_MAX, int minCapacity = -1);
    BString(__CFString const* text);
    BString(NSString* text);
    // From UTF-16 or UTF-32 text: at most max source units, converted to UTF-8.
    BString(unsigned short const* text, int maxUnits = INT_MAX, int minCapacity = -1);
    BString(unsigned int const* text, int maxCodePoints = INT_MAX, int minCapacity = -1);
    BString(wchar_t const* text, int maxCodePoints = INT_MAX, int minCapacity = -1);
    ~BString() { release(c); }

    BString& operator=(BString const& other);
    BString& assign(BString const& other);
    BString& assign(char const* text, int maxLen = INT_MAX);
    BString& assign(char c);
    BString& assign(unsigned short const* text, int maxUnits = INT_MAX);
    BString& assign(unsigned int const* text, int maxCodePoints = INT_MAX);
    BString& assign(wchar_t const* text, int maxCodePoints = INT_MAX);
    BString& assign(wchar_t c);

    char const* c_str() const;
    char const* toUTF8() const;
    __CFString const* toCFString() const;
    NSString* toNSString() const;

    // The container's UTF-16 and UTF-32 forms of the text, kept with the container and shared by
    // every string that shares it. A pointer stays valid until a later request must enlarge that
    // form or the container goes. Threads sharing a container must not request them at once.
    unsigned short const* toUTF16() const;
    unsigned int const* toUTF32() const;
    wchar_t const* toWChar() const;
    int uniLength() const;
    // The code point at index i (0 <= i <= uniLength() is the caller's duty).
    unsigned int uniCharAt(int i) const;
    wchar_t wcharAt(int i) const;

    int length() const;
    int getCapacity() const;
    int isEmpty() const;
    int isNotEmpty() const;
    char operator[](int i) const;
    char charAt(int i) const;

    void setCapacity(int n) const;
    void makeUnique(int n = -1) const;
    void eraseWithNewCapacity(int n);
    void clear();
    void setLength(int n);

    static BString fromChar(char c);
    static BString fromChar(wchar_t c);
    static BString fromInt(int v);
    static BString fromInt(long long v);
    static BString fromInt(unsigned int v);
    static BString fromInt(unsigned long long v);
    static BString fromDouble(double x, int width, int precision);
    static BString toHex(unsigned short v, int minDigits);
    static BString toHex(unsigned int v, int minDigits);
    static BString toHex(unsigned long long v, int minDigits);
    static BString toHexDump(unsigned char const* data, int n);

    int isNumber() const;
    int parseInt(int& out, int pos = 0, int n = -1) const;
    int parseInt() const;
    int parseIntDef(int def) const;
    int parseHex(unsigned int& out, int pos = 0, int n = -1) const;
    unsigned int parseHex() const;
    unsigned int parseHexDef(unsigned int def) const;

    static int parseIntChar(char c);
    static int isNumberChar(char c);
    static int isHexNumberChar(char c);
    static int isLetterOrNumberChar(char c);
    static int isLetterOrNumberChar(wchar_t c);
    static int isWhiteSpace(char c);
    static char loCase(char c);
    static char upCase(char c);

    int compareWith(BString const& other, int ignoreCase = 0) const;
    int sameAs(BString const& other, int ignoreCase = 0) const;
    int equals(BString const& other) const;
    int equalsIgnoreCase(BString const& other) const;
    int compareFilename(BString const& other) const;
    int sameFilename(BString const& other) const;
    int compareWithSubstr(BString const& other, int pos, int n = -1, int ignoreCase = 0) const;
    int sameAsSubstr(BString const& other, int pos, int n = -1, int ignoreCase = 0) const;
    int equalsSubstr(BString const& other, int pos, int n = -1) const;
    int equalsSubstrIgnoreCase(BString const& other, int pos, int n = -1) const;

    int indexOf(char c, int ignoreCase = 0) const;
    int find(char c) const;
    int indexOf(BString const& s, int ignoreCase = 0) const;
    int indexOfAtOffset(BString const& s, int offset, int ignoreCase = 0) const;
    int lastIndexOf(char c, int ignoreCase = 0) const;
    int lastIndexOf(BString const& s, int ignoreCase = 0) const;
    int contains(BString const& s, int ignoreCase = 0) const;
    int contains(char c, int ignoreCase = 0) const;
    int startsWith(BString const& s, int ignoreCase = 0) const;
    int startsWith(char c, int ignoreCase = 0) const;
    int startsWithAtOffset(BString const& s, int pos, int ignoreCase = 0) const;
    int endsWith(BString const& s, int ignoreCase = 0) const;
    int endsWith(char c, int ignoreCase = 0) const;

    BString toLower() const;
    BString toUpper() const;
    BString uniToLower() const;
    BString uniToUpper() const;

    BString& append(BString const& s);
    BString& operator+=(BString const& s);
    BString& append(char const* text, int maxLen = INT_MAX);
    BString& operator+=(char const* text);
    BString& append(char c);
    BString& operator+=(char c);
    BString& append(unsigned short const* text, int maxUnits = INT_MAX);
    BString& operator+=(unsigned short const* text);
    BString& append(unsigned int const* text, int maxCodePoints = INT_MAX);
    BString& operator+=(unsigned int const* text);
    BString& append(wchar_t const* text, int maxCodePoints = INT_MAX);
    BString& operator+=(wchar_t const* text);
    BString& append(wchar_t c);
    BString& operator+=(wchar_t c);
    BString& erase(int pos, int n = -1);

    BString substr(int pos, int n = -1) const;
    // Substring by code points, as substr counts bytes.
    BString uniSubstr(int pos, int n = -1) const;
    BString extractTokenizedString(int& pos, char sep) const;
    BString replaceAll(BString const& find, BString const& repl, int ignoreCase = 0) const;
    BString replaceOnce(BString const& find, BString const& repl, int ignoreCase = 0) const;
    BString escape(int quotes = 1) const;
    BString unescape(int unused = 0) const;
    BString trim() const;
    BString removeQuotes() const;
    BString removeWhiteSpace() const;

    BString extractFileName() const;
    BString extractFileDir() const;
    BString extractFileExtension() const;
    BString removeFileExtension() const;
    BString extractFileNameWithoutExtension() const;
    BString changeFileExt(BString const& newExt) const;
    BString addLastBackSlash() const;

    // Replaces the text by the file's, decoded by its byte-order mark (UTF-8 when there is none);
    // 1 on success, 0 with the text unchanged on any failure.
    int readFromFile(BString const& path);
    // Replaces the file as a whole by the UTF-8 text, after the mark EF BB BF when withMark is
    // non-zero; 1 on success, 0 with the old file untouched.
    int writeToFileUTF8(BString const& path, int withMark) const;

    static BString format(char const* fmt, ...) __attribute__((format(printf, 1, 2)));

    // The format is a string: a template, since a class-type parameter cannot precede "...".
    // Only scalars and pointers may follow, as with the C-string form.
    template <typename Fmt, typename... Args,
              typename = std::enable_if_t<std::is_same<Fmt, BString>::value>>
    static BString format(Fmt const& fmt, Args... args)
    {
        static_assert((... && isFormatArgument<Args>()),
                      "format arguments must be numbers or pointers (pass c_str() for a BString)");
        return formatUnchecked(fmt.c_str(), args...);
    }

private:
    constexpr explicit BString(BStringContainer* container) : c(container) {}

    // Copying and dropping strings is the common case, so the count is changed inline; only
    // freeing a block leaves the header.
    static BStringContainer* retain(BStringContainer* container)
    {
        if (container != &emptyBlock.header)
            container->refCount.fetch_add(1, std::memory_order_relaxed);
        return container;
    }
    // A holder that finds the count at 1 is the only one left and may free without the
    // subtraction; the acquire makes the other holders' last reads happen before the free.
    static void release(BStringContainer* container)
    {
        if (container == &emptyBlock.header)
            return;
        if (container->refCount.load(std::memory_order_acquire) == 1
            || container->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
            destroy(container);
    }
    static void destroy(BStringContainer* container);

    static BStringEmptyBlock emptyBlock;

    template <typename T>
    static constexpr bool isFormatArgument()
    {
        return std::is_arithmetic<T>::value || std::is_enum<T>::value || std::is_pointer<T>::value
               || std::is_null_pointer<T>::value;
    }
    static BString withCapacity(int capacity);
    static BString formatUnchecked(char const* fmt, ...);
    static BString formatList(char const* fmt, va_list args);

    char* text() const;
    bool pointsIntoText(char const* p) const;
    void replaceContainer(BStringContainer* container) const;
    void changedInPlace();
    BString& appendBytes(char const* bytes, int n);
    // Appends (or, with replace, assigns) the UTF-8 form of at most max UTF-16 or UTF-32 units.
    template <typename Unit>
    BString& putUnits(Unit const* units, int max, bool replace);
    bool pointsIntoOtherForms(void const* p) const;
    BString uniCaseCopy(wchar_t (*change)(wchar_t)) const;
    BString caseCopy(char (*change)(char)) const;
    int hasFileExtension(int& slash, int& dot) const;

    mutable BStringContainer* c;
};

// The accessors are inline: every other member is built on them.
inline char const* BString::c_str() const
{
    return c->text();
}

inline char const* BString::toUTF8() const
{
    return c->text();
}

inline int BString::length() const
{
    return static_cast<int>(std::strlen(c->text()));
}

inline int BString::getCapacity() const
{
    return c->capacity;
}

inline int BString::isEmpty() const
{
    return c->text()[0] == 0;
}

inline int BString::isNotEmpty() const
{
    return c->text()[0] != 0;
}

inline char BString::operator[](int i) const
{
    return c->text()[i];
}

inline char BString::charAt(int i) const
{
    return c->text()[i];
}

inline char* BString::text() const
{
    return c->text();
}

inline bool BString::pointsIntoText(char const* p) const
{
    auto at = reinterpret_cast<std::uintptr_t>(p);
    auto start = reinterpret_cast<std::uintptr_t>(c->text());
    return p && at >= start && at <= start + static_cast<std::uintptr_t>(c->capacity);
}

inline void BString::changedInPlace()
{
    if (BStringOtherRepresentations* other = c->otherForms) {
        other->utf16Valid = 0;
        other->utf32Valid = 0;
    }
}

bool operator==(BString const& a, BString const& b);
bool operator!=(BString const& a, BString const& b);
bool operator<(BString const& a, BString const& b);
bool operator>(BString const& a, BString const& b);
bool operator<=(BString const& a, BString const& b);
bool operator>=(BString const& a, BString const& b);
bool operator==(BString const& a, char const* b);
bool operator!=(BString const& a, char const* b);
bool operator==(BString const& a, wchar_t const* b);
bool operator!=(BString const& a, wchar_t const* b);

BString operator+(BString a, BString const& b);
BString operator+(BString a, char const* b);
BString operator+(char const* a, BString const& b);
BString operator+(char a, BString const& b);
BString operator+(BString a, char b);
BString operator+(wchar_t const* a, BString const& b);
BString operator+(wchar_t a, BString const& b);
BString operator+(BString a, wchar_t const* b);
BString operator+(BString a, wchar_t b);

} // namespace Tr
