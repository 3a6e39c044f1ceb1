#include "app/tray/TrayIcon.h"

#include "app/JuceUtils.h"
#include "app/tray/BMenu.h"
#include "app/tray/BMenuEventReceiver.h"
#include "app/tray/TrayIconImpl.h"
#include "foundation/Diagnostics.h"
#include "foundation/gui/JuceString.h"

namespace Tr {

void TrayIconListener::onTrayIconClick(TrayIcon*) {}
void TrayIconListener::onTrayIconDoubleClick(TrayIcon*) {}
void TrayIconListener::onTrayIconFillMenu(TrayIcon*, BMenu&) {}
void TrayIconListener::onTrayIconMenuItemChosen(TrayIcon*, int) {}

namespace {

// Item ids of a JUCE popup start at 1 (0 means nothing was chosen), so the
// popup numbers its items itself and the native items keep their own tags. The
// popup keeps its items alive; an item that its menu no longer holds (the menu
// was refilled meanwhile) does nothing when chosen.
void addNativeItems(juce::PopupMenu& popup, NSMenu* menu, int& nextId)
{
    for (long i = 0; i < menu->numberOfItems(); ++i) {
        NSMenuItem* item = menu->itemAtIndex(i);
        if (item->isSeparatorItem()) {
            popup.addSeparator();
        } else if (item->hasSubmenu()) {
            juce::PopupMenu submenu;
            addNativeItems(submenu, item->submenu(), nextId);
            popup.addSubMenu(item->title(), submenu, item->isEnabled());
        } else {
            juce::PopupMenu::Item entry(item->title());
            entry.itemID = nextId++;
            entry.isEnabled = item->isEnabled();
            entry.isTicked = item->state() == NSControlStateValueOn;
            item->retain();
            std::shared_ptr<NSMenuItem> kept(item, [](NSMenuItem* held) { held->release(); });
            entry.action = [kept] {
                if (NSMenu* holder = kept->menu())
                    holder->performActionForItemAtIndex(holder->indexOfItem(kept.get()));
            };
            popup.addItem(std::move(entry));
        }
    }
}

juce::Image namedImage(BString const& name)
{
    BString fileName = name.extractFileExtension().isEmpty() ? name + ".png" : name;
    std::unique_ptr<juce::Image> image(JuceUtils::getImage(JuceStringFrom(fileName)));
    return image ? *image : juce::Image();
}

} // namespace

juce::PopupMenu popupMenuFromNative(NSMenu* menu)
{
    juce::PopupMenu popup;
    int nextId = 1;
    addNativeItems(popup, menu, nextId);
    return popup;
}

void TrayStatusItem::mouseDown(juce::MouseEvent const&)
{
    if (menu == nullptr) {
        target->onClick(nullptr);
        return;
    }
    if (NSMenuDelegate* menuDelegate = menu->delegate())
        menuDelegate->menuNeedsUpdate(menu);
    if (menu->numberOfItems() > 0)
        popupMenuFromNative(menu).showMenuAsync(juce::PopupMenu::Options());
}

void TrayStatusItem::mouseDoubleClick(juce::MouseEvent const&)
{
    if (menu == nullptr)
        target->onDoubleClick(nullptr);
}

TrayIcon::Impl::Impl(TrayIcon* icon) : owner(icon), delegate(new MenuDelegate(this)) {}

TrayIcon::Impl::~Impl()
{
    setVisible(0);
    setHasMenu(0);
    delegate->setListener(nullptr);
    delegate->release();
    // A choice from a menu still open must not reach this icon.
    if (g_BMenu_receiver != nullptr && g_BMenu_receiver->associatedTrayIcon() == owner)
        g_BMenu_receiver->setAssociatedTrayIcon(nullptr);
}

void TrayIcon::Impl::setIcon(BString const& imageName)
{
    image = namedImage(imageName);
    if (!image.isValid())
        Tr::EH_out(Tr::EH_ERROR, "cannot load tray icon image: %s", imageName.c_str());
    if (statusItem)
        statusItem->setIconImage(image, image);
}

void TrayIcon::Impl::setVisible(int visible)
{
    if (visible && !statusItem) {
        statusItem = std::make_unique<TrayStatusItem>(delegate);
        if (image.isValid())
            statusItem->setIconImage(image, image);
        if (tip.isNotEmpty())
            statusItem->setIconTooltip(JuceStringFrom(tip));
        statusItem->menu = menu;
    } else if (!visible) {
        statusItem.reset();
    }
}

void TrayIcon::Impl::setHasMenu(int has)
{
    if (has && menu == nullptr) {
        menu = new NSMenu("tray");
        menu->setDelegate(delegate);
    } else if (!has && menu != nullptr) {
        menu->setDelegate(nullptr);
        menu->release();
        menu = nullptr;
    }
    if (statusItem)
        statusItem->menu = menu;
}

void TrayIcon::Impl::setTrayTip(BString const& newTip)
{
    tip = newTip;
    if (statusItem)
        statusItem->setIconTooltip(JuceStringFrom(tip));
}

void TrayIcon::Impl::onPopulateMenu(NSMenu* opening)
{
    BMenu filled;
    if (TrayIconListener* listener = owner->getListener())
        listener->onTrayIconFillMenu(owner, filled);
    // Also an empty fill: the menu must not keep what it showed last time.
    filled.toNative(opening);
    if (g_BMenu_receiver != nullptr)
        g_BMenu_receiver->setAssociatedTrayIcon(owner);
}

void TrayIcon::Impl::onClick()
{
    if (TrayIconListener* listener = owner->getListener())
        listener->onTrayIconClick(owner);
}

void TrayIcon::Impl::onDoubleClick()
{
    if (TrayIconListener* listener = owner->getListener())
        listener->onTrayIconDoubleClick(owner);
}

TrayIcon::TrayIcon() : impl(std::make_unique<Impl>(this)) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setTrayTip(BString const& tip)
{
    impl->setTrayTip(tip);
}

void TrayIcon::setIcon(BString const& imageName, void*)
{
    impl->setIcon(imageName);
}

int TrayIcon::isVisible() const
{
    return impl->statusItem ? 1 : 0;
}

void TrayIcon::setVisible(int visible)
{
    impl->setVisible(visible);
}

int TrayIcon::hasMenu() const
{
    return impl->menu != nullptr ? 1 : 0;
}

void TrayIcon::setHasMenu(int has)
{
    impl->setHasMenu(has);
}

void TrayIcon::checkback() {}

} // namespace Tr
