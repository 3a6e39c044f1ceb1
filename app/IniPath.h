#pragma once

#include "foundation/BString.h"

// The per-user ini file: the bundle's path with the extension ".kset" when such
// a file exists (an ini file beside the bundle wins); otherwise the bundle's
// name with that extension in the hidden per-user settings folder.
Tr::BString perUserIniFilePath();
