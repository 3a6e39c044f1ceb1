#include "platform/cocoa/NSMenu.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Recorder : public NSObject
{
public:
    static void record(NSObject* target, NSMenuItem* sender)
    {
        static_cast<Recorder*>(target)->senders.push_back(sender);
    }
    // Empties the menu that holds the chosen item.
    static void emptyMenu(NSObject*, NSMenuItem* sender)
    {
        NSMenu* menu = sender->menu();
        while (menu->numberOfItems() > 0)
            menu->removeItemAtIndex(0);
        EXPECT_STREQ("chosen", sender->title());
    }

    std::vector<NSMenuItem*> senders;

    ~Recorder() override = default;
};

TEST(NSMenu, AChoiceCallsTheActionOnlyOfAnEnabledItemWithATarget)
{
    auto* target = new Recorder;
    auto* menu = new NSMenu("menu");
    struct Case
    {
        bool enabled, withTarget, withAction, called;
    };
    Case const cases[] = { { true, true, true, true },
                           { false, true, true, false },
                           { true, false, true, false },
                           { true, true, false, false } };
    for (Case const& c : cases) {
        auto* item = new NSMenuItem("item", c.withAction ? &Recorder::record : nullptr, "");
        item->setEnabled(c.enabled);
        item->setTarget(c.withTarget ? target : nullptr);
        menu->addItem(item);
        item->release();
        target->senders.clear();
        menu->performActionForItemAtIndex(menu->numberOfItems() - 1);
        EXPECT_EQ(c.called ? std::vector<NSMenuItem*> { item } : std::vector<NSMenuItem*> {}, target->senders);
    }
    menu->performActionForItemAtIndex(99);
    menu->release();
    target->release();
}

TEST(NSMenu, AnActionMayEmptyTheMenuThatHoldsItsItem)
{
    auto* menu = new NSMenu("menu");
    auto* item = new NSMenuItem("chosen", &Recorder::emptyMenu, "");
    item->setTarget(menu);
    menu->addItem(item);
    item->release();
    menu->performActionForItemAtIndex(0);
    EXPECT_EQ(0, menu->numberOfItems());
    menu->release();
}

TEST(NSMenu, HoldsItsItemsAndTheirSubmenus)
{
    auto* menu = new NSMenu("menu");
    auto* item = new NSMenuItem("item", nullptr, "");
    auto* submenu = new NSMenu("sub");
    menu->addItem(item);
    menu->setSubmenu(submenu, item);
    EXPECT_EQ(2, item->retainCount());
    EXPECT_EQ(2, submenu->retainCount());
    EXPECT_EQ(menu, item->menu());
    EXPECT_EQ(0, menu->indexOfItem(item));
    EXPECT_EQ(nullptr, menu->itemAtIndex(1));

    menu->removeItemAtIndex(0);
    EXPECT_EQ(1, item->retainCount());
    EXPECT_EQ(nullptr, item->menu());
    EXPECT_EQ(-1, menu->indexOfItem(item));
    item->setSubmenu(nullptr);
    EXPECT_EQ(1, submenu->retainCount());

    item->release();
    submenu->release();
    menu->release();
}

TEST(NSMenu, SeparatorsAreAutoreleasedAndDisabled)
{
    NSAutoreleasePool pool;
    NSMenuItem* separator = NSMenuItem::separatorItem();
    EXPECT_TRUE(separator->isSeparatorItem());
    EXPECT_FALSE(separator->isEnabled());
}

} // namespace
