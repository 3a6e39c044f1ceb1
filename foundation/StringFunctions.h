#pragma once
// Free text functions in the style of a classic string library, over the string type. Where
// one only forwards to a member of BString, it behaves as that member. Positions given to the
// hexadecimal functions are 1-based; ic is an ignore-case flag (ASCII letters only).

#include "foundation/BString.h"

#include <string>

namespace Tr {

// An empty prefix or suffix gives 1 (unlike BString::startsWith and endsWith).
int StrStartsWith(BString const& s, BString const& prefix, int ic);
int StrStartsWith(std::wstring const& s, std::wstring const& prefix, int ic);
int StrEndsWith(BString const& s, BString const& suffix, int ic);
int StrEndsWith(BString const& s, char c, int ic);

char UpCase(char c);
char LoCase(char c);
BString LowerCase(BString const& s);
BString UpperCase(BString const& s);
BString Trim(BString const& s);

// Replaces the first occurrence again and again, searching the new text each time, so text
// formed across the seam of a replacement is replaced too ('aab', 'ab' by 'b' gives 'b'). s comes
// back unchanged when find is empty, when repl contains find, and when the work passes either of
// two bounds: the text growing past a limit (16 times what one pass of replacements could make
// of it, at least 1 MiB), or more replacements than 64 times that limit over the lengths of find
// and repl together. The second stops texts that never grow too: 10 000 "ab" pairs with "ab" by
// "ba" need 50 million replacements and come back unchanged.
BString StrReplaceAll(BString const& s, BString const& find, BString const& repl, int ic);
BString StrReplaceOnce(BString const& s, BString const& find, BString const& repl, int ic);

// The bytes from pos up to the next sep or the end; pos moves onto the separator (or to the
// end), so the caller steps over it. pos is held within the text.
BString ExtractTokenizedString(BString const& s, int& pos, char sep);

// Hexadecimal and decimal values must fit in 32 bits: a longer value fails like a bad digit.
int HexToIntD(BString const& s, int def);
int HexToInt(char c);
int HexToInt(BString const& s);
// The n bytes at pos must lie within the text and all be hex digits; n <= 0 gives 0 and success.
int HexToIntPos(BString const& s, int pos, int n, int& out);
int HexToIntPos(BString const& s, int pos, int n);
// Upper-case hex, at least max(minDigits, 1) and at most maxDigits digits (outside 1 to 8: 8);
// a negative v shows its two's complement.
BString IntToHexLen(int v, int minDigits, int maxDigits);
BString IntToHex(int v);
BString IntToHex(int v, int minDigits);
// Overwrites the n bytes at pos with the low n hex digits of v, fewer where the text ends.
void IntToHexLenPos(BString& s, int v, int pos, int n);

// As atoi, but a value outside the int range gives the nearest int.
int StrToInt(BString const& s);
// Only digits, after an optional leading "-"; the empty text gives 0.
int StrToInt(BString const& s, int& out);
int StrToIntDef(BString const& s, int def);
int StrToInt(char c);
int IsNumberChar(char c);
int IsHexNumberChar(char c);
int IsLetterOrNumberChar(char c);
int IsLetterOrNumberChar(wchar_t c);
int IsWhiteSpace(char c);

int SameString(BString const& a, BString const& b);
int CompareString(BString const& a, BString const& b);
int CompareText(BString const& a, BString const& b);
BString EscapeString(BString const& s);
BString UnEscapeString(BString const& s);
BString RemoveQuotes(BString const& s);

BString RemoveFileExtension(BString const& s);
BString ExtractFileExtension(BString const& s);
BString ExtractFileName(BString const& s);
BString ExtractFileNameWithoutExtension(BString const& s);
BString ChangeFileExt(BString const& s, BString const& newExt);
// Unlike the members, a trailing "/" is not dropped first ('/a/b/' gives '/a/b'), and the empty
// text stays empty.
BString ExtractFileDir(BString const& s);
BString AddLastBackSlash(BString const& s);

// s becomes at most n bytes of data (all of it for a negative n); a null data empties it.
void SetString(BString& s, char const* data, int n);

} // namespace Tr
