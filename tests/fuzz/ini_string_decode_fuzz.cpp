// Length-prefixed ini strings: decoding either takes a whole string that lies
// within the text or throws the format error, whether the strings are read one
// after another from the start or at a position chosen by the first byte (the
// rest is the text); an encoded text decodes to what was encoded.
#include "foundation/Exception.h"
#include "foundation/TIniFile.h"

#include "FuzzSupport.h"

using Tr::BString;

namespace {

// The bytes decoding at the position takes, or 0 when it throws the format error.
int decodeAt(BString const& text, int position)
{
    BString out;
    try {
        int consumed = Tr::DecodeStringFromIniFile(text, position, out);
        Fuzz::require(position >= 0 && consumed >= 4 && consumed <= text.length() - position);
        Fuzz::require(out.length() == consumed - 4);
        return consumed;
    } catch (Tr::Exception const&) {
        return 0;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    if (size < 1)
        return 0;
    BString const text = Fuzz::text(data + 1, size - 1);
    decodeAt(text, static_cast<signed char>(data[0]));
    for (int position = 0, consumed = 1; consumed > 0; position += consumed)
        consumed = decodeAt(text, position);

    // The encoding keeps the first 65535 bytes.
    BString const kept = text.substr(0, 65535);
    BString decoded;
    int consumed = Tr::DecodeStringFromIniFile(Tr::EncodeStringForIniFile(text) + text, 0, decoded);
    Fuzz::require(consumed == 4 + kept.length() && decoded == kept);
    return 0;
}
