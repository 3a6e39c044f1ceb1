#pragma once

#include "foundation/BString.h"

#include <exception>

namespace Tr {

// The one exception type of the system: thrown by value, caught by reference,
// reported through what().
class Exception : public std::exception {
public:
    Exception();
    explicit Exception(BString const& message);
    explicit Exception(char const* message);
    Exception(Exception const&) = default;
    Exception& operator=(Exception const&) = default;
    ~Exception() override;

    // UTF-8 text of the message, valid while this exception lives.
    char const* what() const noexcept override;

private:
    BString message;
};

} // namespace Tr
