#pragma once
// Starting a program at login: the user's login items (on Linux the XDG
// autostart entries, see platform/launchservices). Only the path names the
// program; the other parameters are not used. Results are 1 or 0.

#include "foundation/BString.h"
#include "platform/corefoundation/CFURL.h"
#include "platform/launchservices/LSSharedFileList.h"

namespace Tr {

// Success too when the program already starts at login; it is never added twice.
int AddProgramToAutostart(BString const& name, BString const& path, BString const& arguments, int flag);
// Success too when the program was not there.
int RemoveProgramFromAutostart(BString const& name, BString const& path);
int IsProgramInAutostart(BString const& name, BString const& path);

// The list's first item whose URL equals url, retained for the caller; null
// when url or list is null or nothing matches.
LSSharedFileListItemRef OSX_findAutostartItem(CFURLRef url, LSSharedFileListRef list);

} // namespace Tr
