// The settings image reader on any bytes: it throws on what is no settings image,
// and what it takes saves to an image that loads again to the same bytes.
#include "app/editor/DravikSettingsImage.h"
#include "foundation/Exception.h"

#include "FuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    DravikSettingsImage image;
    try {
        image.loadFromMem(data, size < INT_MAX ? static_cast<int>(size) : INT_MAX);
    } catch (Tr::Exception const&) {
        return 0;
    }
    unsigned char saved[DravikDefaultTemplateSize];
    image.saveToMem(saved, DravikDefaultTemplateSize);
    DravikSettingsImage reloaded;
    reloaded.loadFromMem(saved, DravikDefaultTemplateSize);
    unsigned char savedAgain[DravikDefaultTemplateSize];
    reloaded.saveToMem(savedAgain, DravikDefaultTemplateSize);
    Fuzz::require(std::memcmp(saved, savedAgain, DravikDefaultTemplateSize) == 0);
    return 0;
}
