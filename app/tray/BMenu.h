#pragma once

#include "foundation/BList.h"
#include "foundation/BString.h"

class NSMenu;

namespace juce {
class PopupMenu;
}

namespace Tr {

// A menu tree that does not depend on where it is shown: each item is a command
// (text, id, ticked, enabled), a separator (text "-" and no items of its own) or
// a submenu (any item with items of its own). The list owns the items.
class BMenu : public BOwnedList<BMenu*>
{
public:
    BMenu();
    explicit BMenu(BString const& text);
    BMenu(BString const& text, int id, int ticked, int enabled);
    ~BMenu() override;

    void addItem(BString const& text, int id, int ticked, int enabled);
    // Appends an item to fill with items of its own; returns it.
    BMenu* addSubmenu(BString const& text);
    void addSeparator();

    int isSeparator() const;
    int isSubMenu() const;
    int getItemCount() const { return count; }
    // Null outside 0 .. getItemCount() - 1.
    BMenu* getItem(int index) const;

    // A new popup menu (the caller owns it) whose commands return their ids.
    juce::PopupMenu* toJucePopupMenu() const;
    // Replaces the items of menu with this menu's, or fills a new menu (owned
    // by the caller) when menu is null; returns it. The items' actions go to
    // the process-wide receiver (BMenuEventReceiver.h), made on first use.
    NSMenu* toNative(NSMenu* menu) const;

    BString text;
    int id;
    int ticked;
    int enabled;
};

} // namespace Tr
