#include "foundation/Exception.h"

namespace Tr {

Exception::Exception() : message("UNKNOWN") {}

Exception::Exception(BString const& message) : message(message) {}

Exception::Exception(char const* message) : message(message ? message : "") {}

Exception::~Exception() = default;

char const* Exception::what() const noexcept
{
    return message.c_str();
}

} // namespace Tr
