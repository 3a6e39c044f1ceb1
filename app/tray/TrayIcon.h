#pragma once

#include "foundation/BString.h"

#include <memory>

namespace Tr {

class BMenu;
class TrayIcon;

// What a tray icon tells; every operation does nothing unless overridden.
class TrayIconListener
{
public:
    virtual void onTrayIconClick(TrayIcon* icon);
    virtual void onTrayIconDoubleClick(TrayIcon* icon);
    // The icon's menu is about to open: fill menu, which starts empty.
    virtual void onTrayIconFillMenu(TrayIcon* icon, BMenu& menu);
    virtual void onTrayIconMenuItemChosen(TrayIcon* icon, int id);

protected:
    ~TrayIconListener() = default;
};

// An icon in the desktop's status area (the system tray), with an optional menu
// that the listener fills each time it opens. Without a menu, clicks go to the
// listener. Message thread.
class TrayIcon
{
public:
    TrayIcon();
    virtual ~TrayIcon();
    TrayIcon(TrayIcon const&) = delete;
    TrayIcon& operator=(TrayIcon const&) = delete;

    TrayIconListener* getListener() const { return listener; }
    void setListener(TrayIconListener* newListener) { listener = newListener; }

    void setTrayTip(BString const& tip);
    // The image of that name among the application's resources (".png" when
    // the name has no extension); the second parameter is not used here.
    void setIcon(BString const& imageName, void* unused);
    int isVisible() const;
    void setVisible(int visible);
    int hasMenu() const;
    void setHasMenu(int has);
    void checkback();

    class Impl;

protected:
    std::unique_ptr<Impl> impl;

private:
    TrayIconListener* listener = nullptr; // not owned
};

} // namespace Tr
