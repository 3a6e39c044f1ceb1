#include "app/install/Q7InstallController.h"

#include "app/JuceUtils.h"
#include "app/install/NSWorkspace_QZAdditions.h"
#include "platform/cocoa/NSBundle.h"
#include "platform/cocoa/NSFileManager.h"
#include "platform/cocoa/NSPathUtilities.h"
#include "platform/cocoa/NSString.h"

#include <cstdlib>
#include <utility>

namespace {

std::string localized(char const* text)
{
    return NSBundle::mainBundle().localizedStringForKey(text, "", nullptr);
}

// The system's Applications folder; DRAVIK_APPLICATIONS_DIR points it elsewhere (tests).
std::string systemApplicationsFolder()
{
    char const* folder = std::getenv("DRAVIK_APPLICATIONS_DIR");
    return folder != nullptr && folder[0] != 0 ? folder : "/Applications";
}

// An alert as a message box: the question with its two buttons, the result with one.
long showAsMessageBox(NSAlertContent const& alert)
{
    juce::StringArray buttons { juce::String::fromUTF8(alert.defaultButton.c_str()) };
    if (!alert.alternateButton.empty())
        buttons.add(juce::String::fromUTF8(alert.alternateButton.c_str()));
    JuceUtils::Dialog dialog { buttons.size() > 1 ? juce::MessageBoxIconType::QuestionIcon
                                                  : juce::MessageBoxIconType::InfoIcon,
                               juce::String::fromUTF8(alert.messageText.c_str()),
                               juce::String::fromUTF8(alert.informativeText.c_str()), false, buttons };
    return JuceUtils::showDialog(dialog) == JuceUtils::Ok ? NSAlertDefaultReturn : NSAlertAlternateReturn;
}

// The sibling of target with that suffix, hidden from the file manager: ".Name.app.suffix".
std::string hiddenSibling(std::string const& target, char const* suffix)
{
    size_t slash = target.find_last_of('/');
    return target.substr(0, slash + 1) + "." + target.substr(slash + 1) + suffix;
}

} // namespace

Q7InstallController::Q7InstallController() : Q7InstallController(NSBundle::mainBundle().bundlePath()) {}

Q7InstallController::Q7InstallController(std::string path) : bundlePath(std::move(path))
{
    NSAlertSetPresenter(showAsMessageBox);
}

std::string Q7InstallController::getAppName() const
{
    NSBundle& bundle = NSBundle::mainBundle();
    std::optional<std::string> name = bundle.objectForInfoDictionaryKey("CFBundleName");
    if (!name)
        name = bundle.objectForInfoDictionaryKey("CFBundleExecutable");
    return name.value_or(std::string());
}

std::string Q7InstallController::displayInstaller()
{
    std::optional<VolumeProperties> properties = NSWorkspace_QZAdditions::propertiesForPath(bundlePath);
    if (!properties || properties->count(NSWorkspace_QZimagefilepath) == 0)
        return std::string();
    std::string user = NSUserName();
    if (properties->at(NSWorkspace_QZimagefilepath) == NSStringWithFormat("/Users/.%@/%@.sparseimage", { user, user }))
        return std::string();
    std::string appName = getAppName();
    if (!alert)
        alert = NSAlert::alertWithMessageText(
            NSStringWithFormat(localized("%@ is currently running from a disk image"), { appName }),
            localized("Install"), localized("Cancel"), std::string(),
            localized("Would you like to install %@ in your applications folder?"), { appName });
    return alert->runModal() == NSAlertDefaultReturn ? installApp() : std::string();
}

std::string Q7InstallController::installApp()
{
    std::string name = NSStringLastPathComponent(bundlePath);
    std::string appName = getAppName();
    std::string systemFolder = systemApplicationsFolder();
    std::string userFolder = NSStringByExpandingTildeInPath("~/Applications");
    std::string installedIn;
    if (installAs(systemFolder + "/" + name)) {
        installedIn = systemFolder;
    } else {
        // Most Linux desktops have no such folder yet.
        NSFileManager::defaultManager().createDirectoryAtPath(userFolder, true, nullptr);
        if (installAs(userFolder + "/" + name))
            installedIn = userFolder;
    }
    if (installedIn.empty()) {
        NSRunAlertPanel(NSStringWithFormat(localized("Could not install %@"), { appName }), "%@", localized("Quit"),
                        std::string(), std::string(), { localized("An error occurred when installing") });
        return std::string();
    }
    // The message goes in as an argument: a '%' in a name or folder stays as it is.
    NSRunAlertPanel(NSStringWithFormat(localized("%@ installed successfully"), { appName }), "%@",
                    localized("Restart"), std::string(), std::string(),
                    { NSStringWithFormat(localized("%@ was installed in %@"), { appName, installedIn }) });
    return installedIn + "/" + name;
}

bool Q7InstallController::installAs(std::string const& target) const
{
    NSFileManager& files = NSFileManager::defaultManager();
    std::string staging = hiddenSibling(target, ".installing");
    std::string previous = hiddenSibling(target, ".previous");
    // Left behind by an install that was cut short.
    files.removeItemAtPath(staging, nullptr);
    files.removeItemAtPath(previous, nullptr);
    if (!files.copyItemAtPath(bundlePath, staging, nullptr)) {
        files.removeItemAtPath(staging, nullptr);
        return false;
    }
    bool replacing = files.fileExistsAtPath(target);
    if (replacing && !files.moveItemAtPath(target, previous, nullptr)) {
        files.removeItemAtPath(staging, nullptr);
        return false;
    }
    if (!files.moveItemAtPath(staging, target, nullptr)) {
        if (replacing)
            files.moveItemAtPath(previous, target, nullptr);
        files.removeItemAtPath(staging, nullptr);
        return false;
    }
    if (replacing)
        files.removeItemAtPath(previous, nullptr);
    return true;
}

namespace Tr {

BString checkApplicationInstallation()
{
    Q7InstallController controller;
    return BString(controller.displayInstaller().c_str());
}

} // namespace Tr
