// The string list's name=value view on any text: every line's key and value can be
// read, and a value set under a key reads back unchanged whatever bytes it holds.
#include "foundation/NameValueSyntax.h"
#include "foundation/TStringList.h"

#include "FuzzSupport.h"

#include <string>

using Tr::BString;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    BString const text = Fuzz::text(data, size);
    Tr::TStringList list(text);
    std::string key;
    std::string value;
    for (int i = 0; i < list.GetCount(); ++i) {
        if (Tr::ParseNameValueLine(list.GetString(i).c_str(), key, value))
            Fuzz::require(list.KeyExists(BString(key.c_str())) != 0);
        list.GetValue(list.GetKey(i));
    }

    list.SetValue(BString("Fuzz"), text);
    Fuzz::require(list.GetValue(BString("Fuzz")) == text);
    return 0;
}
