#pragma once

#include "foundation/BString.h"

#include <cstddef>

namespace Tr {

// Replaces the file's contents as a whole: writes a temporary file in the same
// folder, checks every write, flushes it to disk and renames it over the file
// (a symbolic link is followed and stays a link). The old file's permissions
// are kept. On any failure returns 0 and leaves the old file untouched; creates
// no folders.
int writeFileAtomically(BString const& fileName, void const* data, std::size_t size);

} // namespace Tr
