#include "platform/cocoa/NSMenu.h"

NSMenuItem::NSMenuItem(char const* title, SEL action, char const* keyEquivalent)
    : titleText(title ? title : ""), key(keyEquivalent ? keyEquivalent : ""), actionSelector(action)
{
}

NSMenuItem::~NSMenuItem()
{
    setSubmenu(nullptr);
}

NSMenuItem* NSMenuItem::separatorItem()
{
    auto* item = new NSMenuItem("", nullptr, "");
    item->separator = true;
    item->enabled = false;
    item->autorelease();
    return item;
}

void NSMenuItem::setSubmenu(NSMenu* submenu)
{
    if (submenu)
        submenu->retain();
    if (sub)
        sub->release();
    sub = submenu;
}

NSMenu::NSMenu(char const* title) : titleText(title ? title : "") {}

NSMenu::~NSMenu()
{
    while (!items.empty())
        removeItemAtIndex(numberOfItems() - 1);
}

NSMenuItem* NSMenu::itemAtIndex(long index) const
{
    return index >= 0 && index < numberOfItems() ? items[static_cast<std::size_t>(index)] : nullptr;
}

long NSMenu::indexOfItem(NSMenuItem const* item) const
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == item)
            return static_cast<long>(i);
    return -1;
}

void NSMenu::addItem(NSMenuItem* item)
{
    if (!item)
        return;
    item->retain();
    item->owner = this;
    items.push_back(item);
}

void NSMenu::removeItemAtIndex(long index)
{
    NSMenuItem* item = itemAtIndex(index);
    if (!item)
        return;
    items.erase(items.begin() + index);
    item->owner = nullptr;
    item->release();
}

void NSMenu::performActionForItemAtIndex(long index)
{
    NSMenuItem* item = itemAtIndex(index);
    if (!item || !item->isEnabled() || !item->action() || !item->target())
        return;
    // The action may refill this menu; the item lives until it returns.
    item->retain();
    item->action()(item->target(), item);
    item->release();
}
