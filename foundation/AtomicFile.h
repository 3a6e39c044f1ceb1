#pragma once

#include "foundation/BString.h"

#include <cstddef>

namespace Tr {

// Replaces the file's contents as a whole: writes a temporary file in the same
// folder, checks every write, flushes it to disk and renames it over the file
// (a symbolic link is followed and stays a link). The old file's owner, group,
// permissions and access ACL are kept where the system allows; where the ACL
// cannot be, nobody gains rights by the save. An existing file that the user
// may not write, that nobody may write (root included), or that is no regular
// file (a pipe, a device), is refused. On any failure returns 0, leaves the old
// file untouched and, when error is not null, stores the reason there (the
// system's error text); creates no folders. Temporary files that saves killed
// midway left in the folder are removed.
int writeFileAtomically(BString const& fileName, void const* data, std::size_t size, BString* error = nullptr);

} // namespace Tr
