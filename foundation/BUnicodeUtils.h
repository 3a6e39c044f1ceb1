#pragma once

namespace Tr {

// Measures and converts zero-terminated UTF-8, UTF-16 and UTF-32 texts. 'max' counts source
// units (bytes for UTF-8); every form also stops at a zero unit, and a null source counts as
// empty. The whole-text conversions only count when out is null; otherwise they write the
// output and a terminating zero after it. Both modes return the same count (without the zero),
// so callers measure first, allocate count + 1 units and convert second.
//
// Decoding is lenient: continuation bytes are not checked, overlong forms and surrogate values
// pass as decoded, and a stray byte stands for the code point of its own value. Encoding is
// strict: a surrogate value or one above U+10FFFF is written as U+FFFD.
class BUnicodeUtils
{
public:
    static int len(unsigned char const* s);
    static int len(unsigned char const* s, int max);
    static int len(unsigned short const* s);
    static int len(unsigned int const* s);
    static int len(unsigned short const* s, int max);
    static int len(unsigned int const* s, int max);
    static int len(wchar_t const* s, int max);

    // Code points of the text.
    static int uniLen(unsigned char const* s);
    static int uniLen(unsigned short const* s);
    static int uniLen(unsigned int const* s);
    static int uniLen(wchar_t const* s);

    // The length of the UTF-8 sequence a lead byte starts (1 for a byte that cannot lead one),
    // and the number of bytes the encoder writes for a code point (0 for 0).
    static int utf8_len8(unsigned char lead);
    static int utf32_len8(unsigned int cp);

    // Decodes one code point from at most avail bytes; returns the bytes used, 0 at the
    // terminating zero (out becomes 0) or when the sequence needs more than avail bytes
    // (out untouched).
    static int convert8to32(unsigned char const* src, int avail, unsigned int* out);
    // Encodes one code point; returns the bytes written (at most 4), 0 for the code point 0.
    static int convert32to8(unsigned int cp, unsigned char* out);

    static int convert8to32(unsigned char const* src, unsigned int* out, int max);
    static int convert16to32(unsigned short const* src, unsigned int* out, int max);
    static int convert16to8(unsigned short const* src, unsigned char* out, int max);
    static int convert8to16(unsigned char const* src, unsigned short* out, int max);
    static int convert32to8(unsigned int const* src, unsigned char* out, int max);
    static int convert32to16(unsigned int const* src, unsigned short* out, int max);
};

} // namespace Tr
