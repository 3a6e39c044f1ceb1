#include "foundation/BString.h"

#include "foundation/AtomicFile.h"
#include "foundation/ByteString.h"
#include "foundation/FileUtils.h"

#include <string>
#include <vector>

namespace Tr {

namespace {

enum class TextEncoding { utf8, utf16LE, utf16BE, utf32LE, utf32BE };

struct ByteOrderMark
{
    char const* bytes;
    int length;
    TextEncoding encoding;
};

// Tested in this order: the UTF-32 little-endian mark begins with the UTF-16 one.
ByteOrderMark const marks[] = {
    {"\xEF\xBB\xBF", 3, TextEncoding::utf8},
    {"\xFE\xFF", 2, TextEncoding::utf16BE},
    {"\xFF\xFE\x00\x00", 4, TextEncoding::utf32LE},
    {"\xFF\xFE", 2, TextEncoding::utf16LE},
    {"\x00\x00\xFE\xFF", 4, TextEncoding::utf32BE},
};

ByteOrderMark markOf(char const* data, int size)
{
    for (ByteOrderMark const& mark : marks)
        if (size >= mark.length && bmemcmp(data, mark.bytes, mark.length) == 0)
            return mark;
    return {"", 0, TextEncoding::utf8};
}

unsigned short swapBytes(unsigned short unit)
{
    return __builtin_bswap16(unit);
}

unsigned int swapBytes(unsigned int unit)
{
    return __builtin_bswap32(unit);
}

// The data as whole units, a last partial unit padded with zero bytes, then a zero unit.
template <typename Unit>
std::vector<Unit> unitsOf(char const* data, int size, bool bigEndian)
{
    std::vector<Unit> units((static_cast<size_t>(size) + sizeof(Unit) - 1) / sizeof(Unit) + 1, 0);
    bmemcpy(units.data(), data, size);
    if (bigEndian)
        for (Unit& unit : units)
            unit = swapBytes(unit);
    return units;
}

BString decodeText(char const* data, int size)
{
    ByteOrderMark mark = markOf(data, size);
    data += mark.length;
    size -= mark.length;
    switch (mark.encoding) {
    case TextEncoding::utf16LE:
    case TextEncoding::utf16BE:
        return BString(unitsOf<unsigned short>(data, size, mark.encoding == TextEncoding::utf16BE).data());
    case TextEncoding::utf32LE:
    case TextEncoding::utf32BE:
        return BString(unitsOf<unsigned int>(data, size, mark.encoding == TextEncoding::utf32BE).data());
    case TextEncoding::utf8:
        break;
    }
    return BString(data, size);
}

} // namespace

int BString::readFromFile(BString const& path)
{
    int size = 0;
    void* data = getMemoryMappedFile(path, size);
    if (!data)
        return 0;
    BString text = decodeText(static_cast<char const*>(data), size);
    freeMemoryMappedFile(data);
    assign(text);
    return 1;
}

int BString::writeToFileUTF8(BString const& path, int withMark) const
{
    std::string bytes = withMark ? "\xEF\xBB\xBF" : "";
    bytes.append(c_str(), static_cast<size_t>(length()));
    return writeFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace Tr
