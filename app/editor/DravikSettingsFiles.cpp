// Settings files (".syx", one 690-byte settings image) and the per-user ini file
// of the settings panel.
#include "app/editor/DravikContentPanel.h"

#include "app/JuceUtils.h"
#include "foundation/Diagnostics.h"
#include "foundation/Exception.h"
#include "foundation/FileUtils.h"
#include "foundation/Folders.h"
#include "foundation/TIniFile.h"
#include "foundation/gui/FileDialog.h"
#include "foundation/gui/JuceString.h"
#include "midi/MidiManager.h"
#include "midi/TMidiAliasManager.h"

namespace {

char const* const iniSection = "Current";
char const* const fileFilter = "*.syx";
char const* const fileDescription = "Dravik Settings File";

// The file dialog counts as a box on screen: a quit request made while it is
// open is refused and forgotten; one made after it has gone is carried out.
Tr::BString askForSettingsFile(char const* title, char const* prompt, Tr::BString const& startPath, int save)
{
    JuceUtils::DialogOnScreen onScreen;
    return Tr::askUserForFileDialog(title, prompt, fileFilter, fileDescription, startPath, save);
}

} // namespace

void DravikContentPanel::load()
{
    if (!saveQuestion())
        return;
    Tr::BString startPath = Tr::StringFrom(currentFile);
    if (startPath.isEmpty())
        startPath = Tr::DirExists(documentsDir) ? documentsDir : Tr::getMyDocumentsDirectory();
    Tr::BString path = askForSettingsFile("Open a Dravik MIDI T File", "Choose a file:", startPath, 0);
    if (path.isNotEmpty() && Tr::FileExists(path))
        loadAndReport(Tr::JuceStringFrom(path));
}

void DravikContentPanel::loadAndReport(juce::String const& path)
{
    try {
        load(path);
    } catch (Tr::Exception const& e) {
        JuceUtils::ErrorDlg(Tr::JuceStringFrom(
            Tr::BString::format("Error loading file '%s':\n%s", path.toRawUTF8(), e.what())));
    }
}

// A file larger than a settings image is refused before it is read, with the
// reason the image's own check gives for a length that no image has.
void DravikContentPanel::load(juce::String const& path)
{
    if (Tr::getFileSize(Tr::StringFrom(path)) > DravikDefaultTemplateSize)
        throw invalidImage("wrong size");
    int size = 0;
    Tr::BString error;
    void* data = Tr::getMemoryMappedFile(Tr::StringFrom(path), size, &error);
    if (data == nullptr || error.isNotEmpty())
        throw Tr::Exception(Tr::BString::format("error loading: %s", error.c_str()));
    try {
        loadFromMem(static_cast<unsigned char const*>(data), size);
    } catch (Tr::Exception const&) {
        Tr::freeMemoryMappedFile(data);
        updateTitle();
        throw;
    }
    Tr::freeMemoryMappedFile(data);
    currentFile = path;
    updateTitle();
}

bool DravikContentPanel::save()
{
    juce::String path = askForSavePath();
    if (path.isEmpty())
        return false;
    try {
        save(path);
        return true;
    } catch (Tr::Exception const& e) {
        JuceUtils::ErrorDlg(Tr::JuceStringFrom(
            Tr::BString::format("Error saving file '%s':\n%s", path.toRawUTF8(), e.what())));
        return false;
    }
}

// The dialog warns before overwriting the name the user typed; when ".syx" is
// appended afterwards, overwriting that other file is asked here. Empty when the
// user cancels.
juce::String DravikContentPanel::askForSavePath()
{
    Tr::BString startPath = Tr::StringFrom(currentFile);
    if (startPath.isEmpty()) {
        if (!Tr::DirExists(documentsDir))
            Tr::ForceDirectories(documentsDir);
        startPath = documentsDir;
    }
    Tr::BString path = askForSettingsFile("Save a Dravik MIDI T File",
                                          "Select a file to overwrite, or type in a new file name:", startPath, 1);
    if (path.isEmpty() || path.endsWith(".syx", 0))
        return Tr::JuceStringFrom(path);
    path += ".syx";
    if (Tr::DirOrFileExists(path)) {
        Tr::BString question = Tr::BString::format("The file '%s' already exists.\nDo you want to replace it?",
                                                   path.extractFileName().c_str());
        if (!JuceUtils::Confirm(Tr::JuceStringFrom(question)))
            return {};
    }
    return Tr::JuceStringFrom(path);
}

// The file is replaced as a whole: a failed write leaves the old file as it was.
void DravikContentPanel::save(juce::String const& path)
{
    unsigned char data[DravikDefaultTemplateSize];
    saveToMem(data, DravikDefaultTemplateSize);
    Tr::BString reason;
    if (!Tr::writeFileAtomically(Tr::StringFrom(path), data, sizeof data, &reason))
        throw Tr::Exception("file write error: " + reason);
    unchange(true);
    currentFile = path;
    updateTitle();
}

bool DravikContentPanel::isInterestedInFileDrag(juce::StringArray const&)
{
    return true;
}

void DravikContentPanel::filesDropped(juce::StringArray const& files, int, int)
{
    if (files.isEmpty())
        return;
    juce::String const& path = files[0];
    if (Tr::DirExists(Tr::StringFrom(path))) {
        JuceUtils::ErrorDlg("Error: cannot load a folder.");
        return;
    }
    if (saveQuestion())
        loadAndReport(path);
}

bool DravikContentPanel::saveQuestion()
{
    if (!modified)
        return true;
    int cancelled = 0;
    bool yes = JuceUtils::Confirm("You have made changes to the settings.\nDo you want to save them?", &cancelled);
    if (cancelled)
        return false;
    return !yes || save();
}

void DravikContentPanel::loadSettings()
{
    Tr::TIniFile ini(iniFilePath);
    ini.ReadFromFileNoException();
    JuceUtils::loadWindowPosFromIni(this, ini, getPreferredWidth(), getPreferredHeight());
    // A path too long to name anything (a damaged or crafted file) is forgotten
    // as a remembered file that fails to load is, before it reaches the title.
    Tr::BString file = ini.ReadString(iniSection, "File", "");
    currentFile = Tr::PathTooLong(file) ? juce::String() : Tr::JuceStringFrom(file);
    Tr::BString folder = ini.ReadString(iniSection, "DocumentsDir", documentsDir);
    if (!Tr::PathTooLong(folder))
        documentsDir = folder;
    Tr::MidiManager::instance()->loadFromIniFile(ini);
    Tr::TMidiAliasManager::instance()->loadFromIniFile(ini);
}

// The file is read first, so that sections and keys of other writers stay.
void DravikContentPanel::saveSettings()
{
    Tr::TIniFile ini(iniFilePath);
    ini.ReadFromFileNoException();
    JuceUtils::saveWindowPosToIni(this, ini);
    ini.WriteString(iniSection, "File", Tr::StringFrom(currentFile));
    ini.WriteString(iniSection, "DocumentsDir", documentsDir);
    Tr::MidiManager::instance()->saveToIniFile(ini);
    Tr::TMidiAliasManager::instance()->saveToIniFile(ini);
    if (!ini.WriteToFile())
        Tr::EH_out(Tr::EH_ERROR, "Error saving the settings to '%s'", iniFilePath.c_str());
}

// The last file when it still exists, else the built-in template; a last file
// that no longer loads, or that is no regular file (a pipe, a folder), is
// forgotten without a message.
void DravikContentPanel::loadLastFileOrTemplate()
{
    if (currentFile.isNotEmpty() && Tr::DirOrFileExists(Tr::StringFrom(currentFile))) {
        try {
            load(currentFile);
            return;
        } catch (Tr::Exception const&) {
            currentFile.clear();
            updateTitle();
        }
    }
    try {
        loadFromMem(DravikDefaultTemplate, DravikDefaultTemplateSize);
    } catch (Tr::Exception const& e) {
        JuceUtils::ErrorDlg(juce::String::fromUTF8(e.what()));
        juce::JUCEApplication::quit();
    }
}

void DravikContentPanel::loadFromResource(juce::String const& name)
{
    juce::File file = JuceUtils::getResourceFile(name);
    if (!file.existsAsFile())
        throw Tr::Exception(Tr::StringFrom("Error loading resource: " + name));
    load(file.getFullPathName());
    currentFile.clear();
    updateTitle();
}
