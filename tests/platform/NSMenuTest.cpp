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

} // namespace
