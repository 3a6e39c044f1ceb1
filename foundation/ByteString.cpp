#include "foundation/ByteString.h"

#include <cstdlib>
#include <cstring>
#include <cwctype>

namespace Tr {

int bstrlen(char const* s)
{
    return s ? static_cast<int>(std::strlen(s)) : 0;
}

int bstrlen(char const* s, int max)
{
    if (!s || max <= 0)
        return 0;
    return static_cast<int>(strnlen(s, static_cast<size_t>(max)));
}

char const* bstrstr(char const* text, char const* find)
{
    return text && find ? std::strstr(text, find) : nullptr;
}

char const* bstrchr(char const* text, char c)
{
    return text ? std::strchr(text, c) : nullptr;
}

char const* bstrrchr(char const* text, char c)
{
    return text ? std::strrchr(text, c) : nullptr;
}

int bstrcmp(char const* a, char const* b)
{
    return std::strcmp(a, b);
}

int bstrncmp(char const* a, char const* b, int n)
{
    return n <= 0 ? 0 : std::strncmp(a, b, static_cast<size_t>(n));
}

char* bstrcpy(char* dst, char const* src)
{
    return std::strcpy(dst, src);
}

char* bstrcat(char* dst, char const* src)
{
    return std::strcat(dst, src);
}

void bstrncpy(char* dst, char const* src, int size)
{
    if (!dst || !src || size <= 0)
        return;
    int n = bstrlen(src, size - 1);
    bmemcpy(dst, src, n);
    dst[n] = 0;
}

void bmemcpy(void* dst, void const* src, int n)
{
    if (n > 0)
        std::memcpy(dst, src, static_cast<size_t>(n));
}

void bmemset(void* p, int fill, int n)
{
    if (n > 0)
        std::memset(p, fill & 0xFF, static_cast<size_t>(n));
}

int bmemcmp(void const* a, void const* b, int n)
{
    return n <= 0 ? 0 : std::memcmp(a, b, static_cast<size_t>(n));
}

void bsort(void* items, int count, int size, int (*compare)(void const*, void const*))
{
    if (count > 1 && size > 0)
        std::qsort(items, static_cast<size_t>(count), static_cast<size_t>(size), compare);
}

void btolower(char* s)
{
    for (; s && *s; ++s)
        *s = btolower(*s);
}

void btoupper(char* s)
{
    for (; s && *s; ++s)
        *s = btoupper(*s);
}

wchar_t btolower(wchar_t c)
{
    return c >= 0 && c < 0x80 ? btolower(static_cast<char>(c)) : c;
}

wchar_t btoupper(wchar_t c)
{
    return c >= 0 && c < 0x80 ? btoupper(static_cast<char>(c)) : c;
}

void btolower(wchar_t* s)
{
    for (; s && *s; ++s)
        *s = btolower(*s);
}

void btoupper(wchar_t* s)
{
    for (; s && *s; ++s)
        *s = btoupper(*s);
}

int biswalnum(wchar_t c)
{
    return std::iswalnum(static_cast<wint_t>(c)) ? 1 : 0;
}

} // namespace Tr
