#include "app/tray/BMenuEventReceiver.h"

#include "app/tray/TrayIcon.h"

BMenuEventReceiver* Tr::g_BMenu_receiver = nullptr;

BMenuEventReceiver::BMenuEventReceiver(Tr::BMenu const* bmenu) : menu(bmenu) {}

void BMenuEventReceiver::menuItemInvoked(NSObject* receiver, NSMenuItem* sender)
{
    auto* self = static_cast<BMenuEventReceiver*>(receiver);
    self->selected = static_cast<int>(sender->tag());
    if (NSMenu* shown = sender->menu())
        shown->cancelTracking();
    Tr::TrayIcon* icon = self->trayIcon;
    if (icon != nullptr && icon->getListener() != nullptr)
        icon->getListener()->onTrayIconMenuItemChosen(icon, self->selected);
}
