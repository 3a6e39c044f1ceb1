#include "foundation/NameValueSyntax.h"

#include <cstring>

namespace Tr {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isControl(char c)
{
    return c != 0 && static_cast<unsigned char>(c) < 32;
}

char unescaped(char c)
{
    switch (c) {
    case 'a': return 7;
    case 'b': return 8;
    case 'n': return 10;
    case 'r': return 13;
    case 't': return 9;
    default: return c;
    }
}

// The escape letter for a byte that the reader turns back into it, or 0.
char escapeLetter(char c)
{
    switch (c) {
    case 7: return 'a';
    case 8: return 'b';
    case 10: return 'n';
    case 13: return 'r';
    case 9: return 't';
    case '"': return '"';
    case '\\': return '\\';
    default: return 0;
    }
}

// Reads the text after an opening quote up to the closing one, which p passes.
bool readQuoted(char const*& p, std::string& out)
{
    out.clear();
    for (; *p != '"'; ++p) {
        if (*p == 0)
            return false;
        if (*p != '\\') {
            out += *p;
            continue;
        }
        if (*++p == 0)
            return false;
        out += unescaped(*p);
    }
    ++p;
    return true;
}

// Reads the key at p and leaves p on the "=" that ends it.
bool readKey(char const*& p, std::string& key)
{
    if (*p == '"') {
        ++p;
        if (!readQuoted(p, key))
            return false;
        p = std::strchr(p, '=');
        return p != nullptr;
    }
    char const* equals = std::strchr(p, '=');
    if (equals == nullptr)
        return false;
    char const* end = equals;
    while (end > p && isBlank(end[-1]))
        --end;
    key.assign(p, end);
    p = equals;
    return true;
}

bool needsQuotes(BString const& value)
{
    int length = value.length();
    if (length == 0)
        return false;
    char const* text = value.c_str();
    if (isBlank(text[0]) || text[0] == '"' || isBlank(text[length - 1]))
        return true;
    for (int i = 0; i < length; ++i)
        if (isControl(text[i]))
            return true;
    return false;
}

} // namespace

bool ParseNameValueLine(char const* line, std::string& key, std::string& value)
{
    char const* p = line;
    while (isBlank(*p))
        ++p;
    if (*p == 0 || *p == ';')
        return false;
    if (!readKey(p, key) || key.empty())
        return false;
    ++p;
    while (isBlank(*p))
        ++p;
    if (*p == '"') {
        ++p;
        return readQuoted(p, value);
    }
    value.assign(p);
    return true;
}

BString QuoteIniValue(BString const& value)
{
    if (!needsQuotes(value))
        return value;
    std::string quoted("\"");
    for (char const* p = value.c_str(); *p != 0; ++p) {
        char letter = escapeLetter(*p);
        if (letter != 0)
            quoted += '\\';
        quoted += letter != 0 ? letter : *p;
    }
    quoted += '"';
    return BString(quoted.c_str());
}

} // namespace Tr
