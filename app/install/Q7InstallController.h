#pragma once
// The offer to install the application into the Applications folder when it
// runs from a mounted disk image, and the copy that follows.

#include "foundation/BString.h"
#include "platform/cocoa/NSAlert.h"

#include <memory>
#include <string>

class Q7InstallController
{
public:
    // The controller for the bundle the program runs from, or for another
    // bundle (tests). Its alerts are the application's message boxes.
    Q7InstallController();
    explicit Q7InstallController(std::string bundlePath);

    // The name the user knows the application by.
    std::string getAppName() const;
    // When the bundle lies on a mounted disk image (other than the user's own
    // encrypted home image), offers the install; returns the installed copy's
    // path, or "" when there is none to start.
    std::string displayInstaller();
    // Copies the bundle into the Applications folder, else into the user's
    // own; tells the user how it went and returns the copy's path, or "".
    std::string installApp();

private:
    // Copies the bundle to target; an older copy there is replaced only once
    // the new one is complete, and kept when the copy fails.
    bool installAs(std::string const& target) const;

    std::string const bundlePath;
    std::unique_ptr<NSAlert> alert;
};

namespace Tr {

// Runs the offer for the running program: the path of an installed copy to
// start in its place, or "" when start-up goes on.
BString checkApplicationInstallation();

} // namespace Tr
