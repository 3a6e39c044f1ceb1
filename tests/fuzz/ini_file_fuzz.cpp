// The ini file reader on any text: every section, key and value can be read, and a
// value written into the file reads back unchanged after the text is written out
// and parsed again.
#include "foundation/TIniFile.h"

#include "FuzzSupport.h"

using Tr::BString;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    Tr::TStringList lines;
    lines.SetText(reinterpret_cast<char const*>(data), size < INT_MAX ? static_cast<int>(size) : INT_MAX);
    Tr::TIniFile ini(BString("/nonexistent/fuzz.ini"));
    ini.ParseStrings(lines);
    for (auto const& section : ini.GetSections()) {
        Tr::TStringList keys;
        ini.ReadSectionKeys(section.first, keys);
        for (int i = 0; i < keys.GetCount(); ++i) {
            ini.ReadString(section.first, keys.GetString(i), BString());
            ini.ReadInteger(section.first, keys.GetString(i), 0);
            ini.ReadBool(section.first, keys.GetString(i), 0);
        }
    }

    BString const value = Fuzz::text(data, size);
    ini.WriteString(BString("Fuzz"), BString("Value"), value);
    Tr::TStringList written;
    ini.GetStrings(written);
    Tr::TIniFile reread(BString("/nonexistent/fuzz.ini"));
    reread.ParseStrings(Tr::TStringList(written.GetText()));
    Fuzz::require(reread.ReadString(BString("Fuzz"), BString("Value"), BString()) == value);
    return 0;
}
