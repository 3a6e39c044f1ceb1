#pragma once

#include "platform/cocoa/NSMenu.h"

namespace Tr {
class BMenu;
class TrayIcon;
}

// The target of every native menu item made from a Tr::BMenu: it remembers the
// chosen item's id and passes the choice on to the tray icon whose menu it was.
class BMenuEventReceiver : public NSObject
{
public:
    // initWithBMenu:
    explicit BMenuEventReceiver(Tr::BMenu const* menu);

    // The action of the native items: sender's tag becomes the selected id, and
    // the associated tray icon's listener hears of the choice.
    static void menuItemInvoked(NSObject* receiver, NSMenuItem* sender);

    // The menu it was made for; null once that menu is gone.
    Tr::BMenu const* bmenu() const { return menu; }
    void setBmenu(Tr::BMenu const* newMenu) { menu = newMenu; }
    int selectedID() const { return selected; }
    void setSelectedID(int id) { selected = id; }
    // Null once that icon is gone.
    Tr::TrayIcon* associatedTrayIcon() const { return trayIcon; }
    void setAssociatedTrayIcon(Tr::TrayIcon* icon) { trayIcon = icon; }

private:
    ~BMenuEventReceiver() override = default;

    Tr::BMenu const* menu;
    int selected = -1;
    Tr::TrayIcon* trayIcon = nullptr;
};

namespace Tr {
// Made by the first conversion of a menu to a native one, and never replaced.
extern BMenuEventReceiver* g_BMenu_receiver;
}
