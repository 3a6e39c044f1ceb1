#pragma once

#include "platform/cocoa/NSMenu.h"

namespace Tr {

// What a tray icon's native part hears from its menu and its icon.
class MenuDelegateListener
{
public:
    // The menu is about to open: fill it.
    virtual void onPopulateMenu(NSMenu* menu) = 0;
    virtual void onClick() = 0;
    virtual void onDoubleClick() = 0;
    virtual ~MenuDelegateListener() = default;
};

} // namespace Tr

// The delegate of a tray icon's menu and the target of its icon's clicks; it
// passes both on to its listener, and does nothing without one.
class MenuDelegate : public NSObject, public NSMenuDelegate
{
public:
    // initWithListener:
    explicit MenuDelegate(Tr::MenuDelegateListener* listener);

    void menuNeedsUpdate(NSMenu* menu) override;
    void onClick(NSObject* sender);
    void onDoubleClick(NSObject* sender);
    // Null detaches the listener, which its owner does before it goes.
    void setListener(Tr::MenuDelegateListener* newListener) { listener = newListener; }

private:
    ~MenuDelegate() override = default;

    Tr::MenuDelegateListener* listener; // not owned
};
