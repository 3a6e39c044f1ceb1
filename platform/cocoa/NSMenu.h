#pragma once
// Menus as data: a tree of titled items with their action, target, tag, state and
// submenus, which whoever shows a menu reads and whose actions it performs when
// the user chooses an item. Nothing here draws.

#include "platform/cocoa/NSObject.h"

#include <string>
#include <vector>

class NSMenu;
class NSMenuItem;

// An item's action: the method of its target that choosing the item calls, with
// the item as the sender.
typedef void (*SEL)(NSObject* target, NSMenuItem* sender);

enum NSControlStateValue : long { NSControlStateValueOff = 0, NSControlStateValueOn = 1 };

// What a menu asks of its delegate. A menu does not own its delegate.
class NSMenuDelegate
{
public:
    // Called just before the menu opens, so the delegate can refill it.
    virtual void menuNeedsUpdate(NSMenu* menu) = 0;

protected:
    ~NSMenuDelegate() = default;
};

class NSMenuItem : public NSObject
{
public:
    NSMenuItem(char const* title, SEL action, char const* keyEquivalent);
    // Autoreleased.
    static NSMenuItem* separatorItem();

    bool isSeparatorItem() const { return separator; }
    char const* title() const { return titleText.c_str(); }
    char const* keyEquivalent() const { return key.c_str(); }
    SEL action() const { return actionSelector; }
    void setAction(SEL action) { actionSelector = action; }
    // Not retained, as in AppKit.
    NSObject* target() const { return targetObject; }
    void setTarget(NSObject* target) { targetObject = target; }
    long tag() const { return tagValue; }
    void setTag(long tag) { tagValue = tag; }
    bool isEnabled() const { return enabled; }
    void setEnabled(bool isEnabled) { enabled = isEnabled; }
    NSControlStateValue state() const { return stateValue; }
    void setState(NSControlStateValue state) { stateValue = state; }
    NSMenu* submenu() const { return sub; }
    bool hasSubmenu() const { return sub != nullptr; }
    // Retains the new submenu and releases the old one.
    void setSubmenu(NSMenu* submenu);
    // The menu that holds the item, null while it is in none.
    NSMenu* menu() const { return owner; }

private:
    friend class NSMenu;
    ~NSMenuItem() override;

    std::string const titleText;
    std::string const key;
    bool separator = false;
    SEL actionSelector;
    NSObject* targetObject = nullptr;
    long tagValue = 0;
    bool enabled = true;
    NSControlStateValue stateValue = NSControlStateValueOff;
    NSMenu* sub = nullptr;
    NSMenu* owner = nullptr;
};

class NSMenu : public NSObject
{
public:
    explicit NSMenu(char const* title);

    char const* title() const { return titleText.c_str(); }
    long numberOfItems() const { return static_cast<long>(items.size()); }
    // Null outside 0 .. numberOfItems() - 1.
    NSMenuItem* itemAtIndex(long index) const;
    // -1 when the item is not in this menu.
    long indexOfItem(NSMenuItem const* item) const;
    // Retains the item and becomes its menu.
    void addItem(NSMenuItem* item);
    // Releases the item; an index out of range does nothing.
    void removeItemAtIndex(long index);
    void setSubmenu(NSMenu* submenu, NSMenuItem* item) { item->setSubmenu(submenu); }

    bool autoenablesItems() const { return autoenables; }
    void setAutoenablesItems(bool flag) { autoenables = flag; }
    NSMenuDelegate* delegate() const { return delegateObject; }
    void setDelegate(NSMenuDelegate* delegate) { delegateObject = delegate; }

    // A menu shown here closes by itself once an item is chosen, so there is no
    // tracking left to end.
    void cancelTracking() {}
    // What choosing the item does: calls its action on its target when the item
    // is enabled and has both; an item without a target does nothing.
    void performActionForItemAtIndex(long index);

private:
    ~NSMenu() override;

    std::string const titleText;
    std::vector<NSMenuItem*> items;
    bool autoenables = true;
    NSMenuDelegate* delegateObject = nullptr;
};
