#include "app/JuceUtils.h"

#include "foundation/TIniFile.h"
#include "foundation/gui/JuceString.h"

namespace {

char const* const iniSection = "Current";
constexpr int absentPosition = -1000;

// One axis of the placement rule: centred when absent; moved fully onto an edge
// when more than a third of the window would lie beyond it.
int placeOnAxis(int stored, int start, int length, int size)
{
    if (stored == absentPosition)
        return start + length / 2 - size / 2;
    if (stored < start - size / 3)
        return start;
    if (stored > start + length - size / 3)
        return start + length - size;
    return stored;
}

juce::Component* topLevelOf(juce::Component* c)
{
    return c != nullptr ? c->getTopLevelComponent() : nullptr;
}

} // namespace

juce::String JuceUtils::cutProcessSerialNumberFromCommandLine(juce::String const& commandLine)
{
    juce::String result = commandLine;
    int p = result.indexOf("-psn");
    if (p >= 0) {
        int q = result.indexOf(p + 1, " ");
        juce::String before = result.substring(0, p - 1);
        result = q < 0 ? before : before + result.substring(q);
    }
    return result.replace("-NSDocumentRevisionsDebugMode YES", "");
}

juce::File JuceUtils::getBundleFile()
{
    juce::File executable = juce::File::getSpecialLocation(juce::File::currentExecutableFile);
    juce::File macOS = executable.getParentDirectory();
    juce::File contents = macOS.getParentDirectory();
    if (macOS.getFileName() == "MacOS" && contents.getFileName() == "Contents")
        return contents.getParentDirectory();
    return executable;
}

juce::File JuceUtils::getResourceFile(juce::String const& fileName)
{
    return getBundleFile().getChildFile("Contents/Resources").getChildFile(fileName);
}

void* JuceUtils::getDrawableOrImage(Tr::BString const& extension, Tr::BString const& name, int asDrawable)
{
    juce::String fileName = Tr::JuceStringFrom(name) + "." + Tr::JuceStringFrom(extension);
    juce::File file = getResourceFile(fileName);
    if (!file.existsAsFile())
        file = juce::File::getCurrentWorkingDirectory().getChildFile("../../../resources").getChildFile(fileName);
    if (!file.existsAsFile())
        return nullptr;
    if (asDrawable != 0)
        return juce::Drawable::createFromImageFile(file).release();
    juce::Image image = juce::ImageCache::getFromFile(file);
    return image.isValid() ? new juce::Image(image) : nullptr;
}

juce::Drawable* JuceUtils::getDrawable(juce::String const& fileName)
{
    Tr::BString file = Tr::StringFrom(fileName);
    void* drawable = getDrawableOrImage(file.extractFileExtension().substr(1), file.removeFileExtension(), 1);
    return static_cast<juce::Drawable*>(drawable);
}

juce::Image* JuceUtils::getImage(juce::String const& fileName)
{
    Tr::BString file = Tr::StringFrom(fileName);
    void* image = getDrawableOrImage(file.extractFileExtension().substr(1), file.removeFileExtension(), 0);
    return static_cast<juce::Image*>(image);
}

juce::Rectangle<int> JuceUtils::placeWindow(juce::Rectangle<int> const* userArea, int left, int top,
                                            juce::Rectangle<int> window)
{
    if (userArea == nullptr) {
        int x = left == absentPosition ? window.getX() : left;
        int y = top == absentPosition ? window.getY() : top;
        return window.withPosition(x, y);
    }
    return window.withPosition(placeOnAxis(left, userArea->getX(), userArea->getWidth(), window.getWidth()),
                               placeOnAxis(top, userArea->getY(), userArea->getHeight(), window.getHeight()));
}

void JuceUtils::loadWindowPosFromIni(juce::Component* c, Tr::TIniFile& ini, int width, int height)
{
    juce::Component* window = topLevelOf(c);
    if (window == nullptr)
        return;
    int left = ini.ReadInteger(iniSection, "MainLeft", absentPosition);
    int top = ini.ReadInteger(iniSection, "MainTop", absentPosition);
    juce::Rectangle<int> bounds = window->getBounds();
    if (width >= 0)
        bounds.setWidth(width);
    if (height >= 0)
        bounds.setHeight(height);
    // Without a primary display the stored position is used as it is.
    juce::Displays::Display const* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    window->setBounds(placeWindow(display != nullptr ? &display->userArea : nullptr, left, top, bounds));
}

void JuceUtils::loadWindowPosSizeFromIni(juce::Component* c, Tr::TIniFile& ini, int width, int height)
{
    width = ini.ReadInteger(iniSection, "MainWidth", width);
    height = ini.ReadInteger(iniSection, "MainHeight", height);
    loadWindowPosFromIni(c, ini, width, height);
}

void JuceUtils::saveWindowPosToIni(juce::Component* c, Tr::TIniFile& ini)
{
    saveWindowPosSizeToIni(c, ini, false);
}

void JuceUtils::saveWindowPosSizeToIni(juce::Component* c, Tr::TIniFile& ini, bool withSize)
{
    juce::Component* window = topLevelOf(c);
    if (window == nullptr)
        return;
    ini.WriteInteger(iniSection, "MainLeft", window->getX());
    ini.WriteInteger(iniSection, "MainTop", window->getY());
    if (withSize) {
        ini.WriteInteger(iniSection, "MainWidth", window->getWidth());
        ini.WriteInteger(iniSection, "MainHeight", window->getHeight());
    }
}
