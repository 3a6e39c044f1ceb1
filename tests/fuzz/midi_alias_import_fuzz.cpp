// The alias list's import on any text: the first byte picks the alias type (low
// two bits) and the start, the rest is the text. Reading takes only characters
// within the text, never more names than the count announces, and a text written
// from the names read reads back to them. The import itself, which creates every
// alias it names for good, runs where the names are at most one byte long, so the
// process's aliases stay few; it agrees with the reading, and its list exports
// to a text that imports to the same list.
#include "foundation/Exception.h"
#include "midi/TMidiAlias.h"

#include "FuzzSupport.h"

#include <cstdlib>
#include <initializer_list>
#include <vector>

using Tr::BString;

namespace {

struct Reading {
    int consumed = 0;
    bool malformed = false;
    long long announced = -1;
    std::vector<BString> names;
};

Reading read(BString const& text, int start)
{
    Reading reading;
    try {
        reading.consumed = Tr::ReadMidiAliasNames(
            text, start, [&reading](unsigned int count) { reading.announced = count; },
            [&reading](BString const& name) { reading.names.push_back(name); });
    } catch (Tr::Exception const&) {
        reading.malformed = true;
    }
    return reading;
}

void checkReading(Reading const& reading, BString const& text, int start)
{
    auto const names = static_cast<long long>(reading.names.size());
    Fuzz::require(reading.announced >= 0 || (reading.names.empty() && reading.consumed == 0));
    Fuzz::require(names <= reading.announced || reading.names.empty());
    if (reading.malformed || reading.consumed == 0)
        return;
    Fuzz::require(reading.consumed >= 8 && start + reading.consumed <= text.length());
    Fuzz::require(names == reading.announced || start + reading.consumed == text.length());
}

// The names written as an export text read back unchanged, the whole text taken,
// also when the count announces more names than there are.
void checkRewritten(std::vector<BString> const& names)
{
    BString encoded;
    for (BString const& name : names)
        encoded += Tr::EncodeStringForIniFile(name);
    for (unsigned int extra : {0u, 1u}) {
        BString text = Tr::MidiAliasMagic + BString::toHex(unsigned(names.size()) + extra, 4) + encoded;
        Reading again = read(text, 0);
        Fuzz::require(!again.malformed && again.consumed == text.length() && again.names == names);
    }
}

bool allShort(std::vector<BString> const& names)
{
    for (BString const& name : names)
        if (name.length() > 1)
            return false;
    return true;
}

void checkImport(Reading const& reading, BString const& text, int start, Tr::TAliasType type)
{
    Tr::TMidiAliasList list;
    int consumed = 0;
    bool malformed = false;
    try {
        consumed = list.ImportFromString(text, start, type);
    } catch (Tr::Exception const&) {
        malformed = true;
    }
    Fuzz::require(malformed == reading.malformed && (malformed || consumed == reading.consumed));
    Fuzz::require(list.count <= static_cast<int>(reading.names.size()));
    for (BString const& name : reading.names)
        Fuzz::require(list.GetAliasByNameAndType(name, type) != nullptr);
    for (int i = 0; i < list.count; ++i)
        Fuzz::require(list.items[i]->GetType() == type && list.indexOf(list.items[i]) == i);

    BString exported = list.ExportToString(type);
    Tr::TMidiAliasList reimported;
    Fuzz::require(reimported.ImportFromString(exported, 0, type) == exported.length());
    Fuzz::require(reimported.count == list.count);
    for (int i = 0; i < list.count; ++i)
        Fuzz::require(reimported.items[i] == list.items[i]);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The alias manager brings up the MIDI manager: never the machine's sequencer.
    setenv("DRAVIK_MIDI_BACKEND", "virtual", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    if (size < 1)
        return 0;
    auto const type = static_cast<Tr::TAliasType>(data[0] & 3);
    int const start = static_cast<signed char>(data[0]) >> 2;
    BString const text = Fuzz::text(data + 1, size - 1);

    Reading const reading = read(text, start);
    checkReading(reading, text, start);
    checkRewritten(reading.names);
    if (allShort(reading.names))
        checkImport(reading, text, start, type);
    return 0;
}
