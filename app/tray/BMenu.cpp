#include "app/tray/BMenu.h"

#include "app/tray/BMenuEventReceiver.h"
#include "foundation/gui/JuceString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tr {

BMenu::BMenu() : BMenu(BString()) {}

BMenu::BMenu(BString const& menuText) : BMenu(menuText, 0, 0, 1) {}

BMenu::BMenu(BString const& menuText, int itemId, int isTicked, int isEnabled)
    : text(menuText), id(itemId), ticked(isTicked), enabled(isEnabled)
{
}

BMenu::~BMenu()
{
    // The receiver must not point at a menu that is gone.
    if (g_BMenu_receiver != nullptr && g_BMenu_receiver->bmenu() == this)
        g_BMenu_receiver->setBmenu(nullptr);
}

void BMenu::addItem(BString const& itemText, int itemId, int isTicked, int isEnabled)
{
    add(new BMenu(itemText, itemId, isTicked, isEnabled));
}

BMenu* BMenu::addSubmenu(BString const& itemText)
{
    add(new BMenu(itemText));
    return items[count - 1];
}

void BMenu::addSeparator()
{
    addItem("-", 0, 0, 1);
}

int BMenu::isSeparator() const
{
    return count == 0 && text.equals("-") ? 1 : 0;
}

int BMenu::isSubMenu() const
{
    return count > 0 ? 1 : 0;
}

BMenu* BMenu::getItem(int index) const
{
    return index >= 0 && index < count ? items[index] : nullptr;
}

juce::PopupMenu* BMenu::toJucePopupMenu() const
{
    auto* menu = new juce::PopupMenu();
    for (int i = 0; i < count; ++i) {
        BMenu const& item = *items[i];
        if (item.isSubMenu()) {
            std::unique_ptr<juce::PopupMenu> submenu(item.toJucePopupMenu());
            menu->addSubMenu(JuceStringFrom(item.text), *submenu, true, nullptr, false);
        } else if (item.isSeparator()) {
            menu->addSeparator();
        } else {
            menu->addItem(item.id, JuceStringFrom(item.text), item.enabled != 0, item.ticked != 0);
        }
    }
    return menu;
}

NSMenu* BMenu::toNative(NSMenu* menu) const
{
    // Separator items come autoreleased.
    NSAutoreleasePool pool;
    if (g_BMenu_receiver == nullptr)
        g_BMenu_receiver = new BMenuEventReceiver(this);
    if (menu != nullptr) {
        for (long i = menu->numberOfItems() - 1; i >= 0; --i)
            menu->removeItemAtIndex(i);
    } else {
        menu = new NSMenu(text.c_str());
    }
    menu->setAutoenablesItems(false);
    for (int i = 0; i < count; ++i) {
        BMenu const& item = *items[i];
        if (item.isSeparator()) {
            menu->addItem(NSMenuItem::separatorItem());
            continue;
        }
        auto* nativeItem = new NSMenuItem(item.text.c_str(), &BMenuEventReceiver::menuItemInvoked, "");
        if (item.enabled) {
            nativeItem->setTarget(g_BMenu_receiver);
            nativeItem->setTag(item.id);
        }
        nativeItem->setEnabled(item.enabled != 0);
        menu->addItem(nativeItem);
        if (item.isSubMenu()) {
            NSMenu* submenu = item.toNative(nullptr);
            menu->setSubmenu(submenu, nativeItem);
            submenu->release();
        } else {
            nativeItem->setState(item.ticked ? NSControlStateValueOn : NSControlStateValueOff);
        }
        nativeItem->release();
    }
    return menu;
}

} // namespace Tr
