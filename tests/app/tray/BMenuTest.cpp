#include "app/tray/BMenu.h"
#include "app/tray/BMenuEventReceiver.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace {

// One of each: commands ticked and disabled, a separator, a submenu, and an
// item "-" with an item of its own.
std::unique_ptr<Tr::BMenu> sampleMenu()
{
    auto menu = std::make_unique<Tr::BMenu>("Sample");
    menu->addItem("One", 1, 1, 1);
    menu->addSeparator();
    menu->addItem("Two", 2, 0, 0);
    menu->addSubmenu("Sub")->addItem("Three", 3, 0, 1);
    menu->addSubmenu("-")->addItem("Four", 4, 0, 1);
    return menu;
}

TEST(BMenu, TheKindOfAnItemFollowsItsTextAndItems)
{
    auto menu = sampleMenu();
    ASSERT_EQ(5, menu->getItemCount());
    EXPECT_TRUE(menu->getItem(1)->isSeparator());
    EXPECT_FALSE(menu->getItem(1)->isSubMenu());
    EXPECT_TRUE(menu->getItem(3)->isSubMenu());
    EXPECT_TRUE(menu->getItem(4)->isSubMenu()) << "\"-\" with items is a submenu";
    EXPECT_FALSE(menu->getItem(4)->isSeparator());
    EXPECT_FALSE(menu->getItem(0)->isSeparator());
    EXPECT_EQ(nullptr, menu->getItem(5));
    EXPECT_EQ(nullptr, menu->getItem(-1));
}

TEST(BMenu, BecomesAJucePopupMenuItemByItem)
{
    auto menu = sampleMenu();
    std::unique_ptr<juce::PopupMenu> popup(menu->toJucePopupMenu());
    struct Expected
    {
        char const* text;
        int id;
        bool enabled, ticked, separator, submenu;
    };
    Expected const expected[] = { { "One", 1, true, true, false, false },
                                  { "", 0, true, false, true, false },
                                  { "Two", 2, false, false, false, false },
                                  { "Sub", 0, true, false, false, true },
                                  { "-", 0, true, false, false, true } };
    juce::PopupMenu::MenuItemIterator it(*popup);
    for (Expected const& e : expected) {
        ASSERT_TRUE(it.next());
        juce::PopupMenu::Item const& item = it.getItem();
        EXPECT_EQ(juce::String(e.text), item.text);
        EXPECT_EQ(e.id, item.itemID) << e.text;
        EXPECT_EQ(e.enabled, item.isEnabled) << e.text;
        EXPECT_EQ(e.ticked, item.isTicked) << e.text;
        EXPECT_EQ(e.separator, item.isSeparator) << e.text;
        ASSERT_EQ(e.submenu, item.subMenu != nullptr) << e.text;
    }
    EXPECT_FALSE(it.next());

    juce::PopupMenu::MenuItemIterator all(*popup, true);
    int deepest = 0;
    while (all.next())
        deepest = all.getItem().itemID;
    EXPECT_EQ(4, deepest);
}

TEST(BMenu, BecomesANativeMenuReplacingWhatItHeld)
{
    auto* native = new NSMenu("held");
    native->addItem(NSMenuItem::separatorItem());
    auto menu = sampleMenu();
    EXPECT_EQ(native, menu->toNative(native));
    ASSERT_EQ(5, native->numberOfItems());
    EXPECT_FALSE(native->autoenablesItems());

    NSMenuItem* one = native->itemAtIndex(0);
    EXPECT_STREQ("One", one->title());
    EXPECT_EQ(Tr::g_BMenu_receiver, one->target());
    EXPECT_EQ(1, one->tag());
    EXPECT_EQ(NSControlStateValueOn, one->state());
    EXPECT_TRUE(native->itemAtIndex(1)->isSeparatorItem());
    NSMenuItem* two = native->itemAtIndex(2);
    EXPECT_FALSE(two->isEnabled());
    EXPECT_EQ(nullptr, two->target()) << "a disabled command reports nothing";
    EXPECT_EQ(0, two->tag());
    NSMenuItem* sub = native->itemAtIndex(3);
    ASSERT_TRUE(sub->hasSubmenu());
    EXPECT_STREQ("Sub", sub->submenu()->title());
    EXPECT_EQ(3, sub->submenu()->itemAtIndex(0)->tag());
    native->release();

    NSMenu* made = Tr::BMenu("Fresh").toNative(nullptr);
    EXPECT_STREQ("Fresh", made->title());
    EXPECT_EQ(0, made->numberOfItems());
    made->release();
}

TEST(BMenu, TheReceiverIsMadeOnceRecordsTheChoiceAndForgetsItsMenu)
{
    BMenuEventReceiver* receiver = nullptr;
    {
        auto menu = sampleMenu();
        NSMenu* native = menu->toNative(nullptr);
        receiver = Tr::g_BMenu_receiver;
        ASSERT_NE(nullptr, receiver);
        Tr::BMenu().toNative(native);
        menu->toNative(native);
        EXPECT_EQ(receiver, Tr::g_BMenu_receiver);
        native->performActionForItemAtIndex(0);
        EXPECT_EQ(1, receiver->selectedID());
        native->release();
    }
    EXPECT_EQ(nullptr, receiver->bmenu()) << "its menu is gone";
}

} // namespace
