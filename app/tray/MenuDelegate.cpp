#include "app/tray/MenuDelegate.h"

MenuDelegate::MenuDelegate(Tr::MenuDelegateListener* menuListener) : listener(menuListener) {}

void MenuDelegate::menuNeedsUpdate(NSMenu* menu)
{
    if (listener)
        listener->onPopulateMenu(menu);
}

void MenuDelegate::onClick(NSObject*)
{
    if (listener)
        listener->onClick();
}

void MenuDelegate::onDoubleClick(NSObject*)
{
    if (listener)
        listener->onDoubleClick();
}
