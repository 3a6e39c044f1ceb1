#pragma once
// The file dialog of the GUI boundary: JUCE's synchronous file chooser.

#include "foundation/BString.h"

#include <functional>

namespace Tr {

// What the file dialog is asked: title, prompt, filter (a wildcard pattern such
// as "*.syx"), filter description, initial file and whether it saves.
struct FileDialogRequest
{
    BString title;
    BString prompt;
    BString filter;
    BString filterDescription;
    BString initialFile;
    int save = 0;
};

// Shows the native file chooser and returns the chosen file's full path, or an
// empty string when the user cancels. Saving warns before overwriting. Modal:
// call it on the message thread only. Prompt and filter description are not shown.
BString askUserForFileDialog(BString const& title, BString const& prompt, BString const& filter,
                             BString const& filterDescription, BString const& initialFile, int save);

// The replaceable answer of the file dialog: while a hook is set, every
// askUserForFileDialog returns what the hook returns for the request, and no
// chooser is shown (so tests run without a window manager). Set and clear it on
// the message thread; an empty function restores the real chooser.
using FileDialogHook = std::function<BString(FileDialogRequest const&)>;
void setFileDialogHook(FileDialogHook hook);

} // namespace Tr
