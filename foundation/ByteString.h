#pragma once

namespace Tr {

// Byte-string wrappers over the C library with int lengths.
// These take a null text as the empty one: length 0, nothing found.
int bstrlen(char const* s);
int bstrlen(char const* s, int max);
char const* bstrstr(char const* text, char const* find);
char const* bstrchr(char const* text, char c);
char const* bstrrchr(char const* text, char c);
// These pass their pointers on as they are, so a null one crashes as in the C library; a count
// that is not positive does nothing (or compares equal) without touching them.
int bstrcmp(char const* a, char const* b);
int bstrncmp(char const* a, char const* b, int n);
char* bstrcpy(char* dst, char const* src);
char* bstrcat(char* dst, char const* src);
void bmemcpy(void* dst, void const* src, int n);
void bmemset(void* p, int fill, int n);
int bmemcmp(void const* a, void const* b, int n);
void bsort(void* items, int count, int size, int (*compare)(void const*, void const*));
// Copies at most size - 1 bytes and always ends the copy with a zero (size 1: the empty text);
// writes nothing when a pointer is null or size is not positive.
void bstrncpy(char* dst, char const* src, int size);

// Case helpers: only ASCII letters change, as the C library's do in the "C" locale. Inline, as
// ignore-case comparisons call them for every byte, and blind to the process locale, which the
// GUI library switches for a moment while it decodes a key press.
inline char btolower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline char btoupper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

void btolower(char* s);
void btoupper(char* s);
wchar_t btolower(wchar_t c);
wchar_t btoupper(wchar_t c);
void btolower(wchar_t* s);
void btoupper(wchar_t* s);
int biswalnum(wchar_t c);

} // namespace Tr
