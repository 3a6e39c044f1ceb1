// The command-line parser on any text: arguments are never empty and never keep
// the double quotes that group them.
#include "foundation/TStringList.h"

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    Tr::BString const commandLine = Fuzz::text(data, size);
    Tr::TStringList arguments;
    arguments.ParseCommandLine(commandLine);
    int characters = 0;
    for (int i = 0; i < arguments.GetCount(); ++i) {
        Tr::BString const& argument = arguments.GetString(i);
        Fuzz::require(argument.isNotEmpty() && !argument.contains('"'));
        characters += argument.length();
    }
    Fuzz::require(characters <= commandLine.length());
    return 0;
}
