#pragma once

#include "foundation/BString.h"

namespace Tr {

// Opens a file, document or application the way the desktop would: starts the
// desktop's opener ("xdg-open", or the program named by the environment variable
// DRAVIK_OPENER, which tests use) with the path as its one argument, without a
// shell, and waits for it. True when the opener ran and exited with status 0.
// An application bundle ("X.app" holding an executable Contents/MacOS/X), which
// no Linux opener launches, is started directly and not waited for; true when
// it could be started.
// The parameters and the working folder are accepted and not used.
int ExecuteFile(BString const& file, BString const& parameters, BString const& folder);

// Starts an application bundle as ExecuteFile does, but only once process pid
// has ended: a detached helper waits for it and then starts the bundle's
// executable. So a program of which one instance runs at a time can start a
// copy of itself as it quits. True when the bundle's executable exists and the
// helper could be started; anything other than a bundle is refused.
int ExecuteFileAfterExit(BString const& file, int pid);

} // namespace Tr
