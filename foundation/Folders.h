#pragma once
// The user's folders. None of these functions creates a folder.

#include "foundation/BString.h"

namespace Tr {

// HOME when it is set and not empty; otherwise the user database's home folder
// of the real user; otherwise "~".
BString getHomeDirectory();
BString getMyDocumentsDirectory();
BString getUserAppDirectory();
// The hidden per-user settings folder of the editor, without a trailing '/'.
BString getPexaSettingsBaseDir();

} // namespace Tr
