#include "foundation/gui/FileDialog.h"

#include "foundation/gui/JuceString.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tr {

namespace {

FileDialogHook& currentHook()
{
    static FileDialogHook hook;
    return hook;
}

// juce::File wants an absolute path; a relative one counts from the working folder.
juce::File initialLocation(BString const& initialFile)
{
    if (initialFile.isEmpty())
        return juce::File();
    return juce::File::getCurrentWorkingDirectory().getChildFile(JuceStringFrom(initialFile));
}

BString showChooser(FileDialogRequest const& request)
{
    juce::FileChooser chooser(JuceStringFrom(request.title), initialLocation(request.initialFile),
                              JuceStringFrom(request.filter), true);
    bool confirmed = request.save ? chooser.browseForFileToSave(true) : chooser.browseForFileToOpen(nullptr);
    if (!confirmed)
        return BString();
    return StringFrom(chooser.getResult().getFullPathName());
}

} // namespace

BString askUserForFileDialog(BString const& title, BString const& prompt, BString const& filter,
                             BString const& filterDescription, BString const& initialFile, int save)
{
    FileDialogRequest request{title, prompt, filter, filterDescription, initialFile, save};
    FileDialogHook hook = currentHook();
    return hook ? hook(request) : showChooser(request);
}

void setFileDialogHook(FileDialogHook hook)
{
    currentHook() = std::move(hook);
}

} // namespace Tr
