#pragma once
// The native part of a tray icon: JUCE's system-tray icon with a native menu
// model, shown as a JUCE popup menu when the icon is clicked.

#include "app/tray/MenuDelegate.h"
#include "app/tray/TrayIcon.h"

#include <juce_gui_extra/juce_gui_extra.h>

namespace Tr {

// The icon in the tray. With a menu a click opens it (its delegate fills it
// first); without one, clicks go to the target.
class TrayStatusItem : public juce::SystemTrayIconComponent
{
public:
    explicit TrayStatusItem(MenuDelegate* clickTarget) : target(clickTarget) {}

    void mouseDown(juce::MouseEvent const& event) override;
    void mouseDoubleClick(juce::MouseEvent const& event) override;

    MenuDelegate* const target; // not owned
    NSMenu* menu = nullptr;     // not owned
};

// A popup menu with the native menu's items; choosing one performs that item's
// action.
juce::PopupMenu popupMenuFromNative(NSMenu* menu);

class TrayIcon::Impl : public MenuDelegateListener
{
public:
    explicit Impl(TrayIcon* icon);
    ~Impl() override;

    void setIcon(BString const& imageName);
    void setVisible(int visible);
    void setHasMenu(int has);
    void setTrayTip(BString const& newTip);

    void onPopulateMenu(NSMenu* opening) override;
    void onClick() override;
    void onDoubleClick() override;

    TrayIcon* const owner;
    std::unique_ptr<TrayStatusItem> statusItem; // null while hidden
    juce::Image image;                          // invalid when there is none
    BString tip;
    NSMenu* menu = nullptr; // owned; null without a menu
    MenuDelegate* delegate; // owned
};

} // namespace Tr
