#include "app/tray/BMenu.h"
#include "app/tray/TrayIconImpl.h"
#include "foundation/Diagnostics.h"
#include "platform/cocoa/NSMenu.h"
#include "tests/app/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using shelltest::pumpUntil;

class RecordingListener : public Tr::TrayIconListener
{
public:
    void onTrayIconClick(Tr::TrayIcon* icon) override { record(icon, "click"); }
    void onTrayIconDoubleClick(Tr::TrayIcon* icon) override { record(icon, "double click"); }
    void onTrayIconFillMenu(Tr::TrayIcon* icon, Tr::BMenu& menu) override
    {
        record(icon, "fill");
        fill(menu);
    }
    void onTrayIconMenuItemChosen(Tr::TrayIcon* icon, int id) override
    {
        record(icon, "chosen " + std::to_string(id));
    }

    std::function<void(Tr::BMenu&)> fill = [](Tr::BMenu&) {};
    std::vector<std::string> calls;
    std::vector<Tr::TrayIcon*> icons;

private:
    void record(Tr::TrayIcon* icon, std::string call)
    {
        icons.push_back(icon);
        calls.push_back(std::move(call));
    }
};

class TestTray : public Tr::TrayIcon
{
public:
    Tr::TrayIcon::Impl& native() { return *impl; }
};

juce::MouseEvent click(juce::Component& c)
{
    juce::Time now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), {}, {}, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                            &c, &c, now, {}, now, 1, false);
}

class Tray : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tray = std::make_unique<TestTray>();
        tray->setListener(&listener);
        listener.fill = [](Tr::BMenu& menu) {
            menu.addItem("Open", 0, 1, 1);
            menu.addSeparator();
            menu.addSubmenu("More")->addItem("Deep", 7, 0, 1);
        };
    }

    // Shows the icon with a menu and opens the menu, as a click would.
    void openMenu()
    {
        tray->setHasMenu(1);
        tray->setVisible(1);
        tray->native().statusItem->mouseDown(click(*tray->native().statusItem));
    }

    // The action that choosing the popup's item of that text runs.
    std::function<void()> popupAction(juce::String const& text)
    {
        juce::PopupMenu popup = Tr::popupMenuFromNative(tray->native().menu);
        for (juce::PopupMenu::MenuItemIterator it(popup, true); it.next();)
            if (it.getItem().text == text)
                return it.getItem().action;
        return {};
    }

    RecordingListener listener;
    std::unique_ptr<TestTray> tray;
};

TEST_F(Tray, ShowingItAgainOrAddingTheMenuAgainChangesNothing)
{
    tray->setVisible(1);
    Tr::TrayStatusItem* shown = tray->native().statusItem.get();
    tray->setHasMenu(1);
    NSMenu* menu = tray->native().menu;
    tray->setVisible(1);
    tray->setHasMenu(1);
    EXPECT_EQ(shown, tray->native().statusItem.get());
    EXPECT_EQ(menu, tray->native().menu);
    EXPECT_EQ(menu, shown->menu);
    EXPECT_STREQ("tray", menu->title());

    tray->setHasMenu(0);
    EXPECT_EQ(0, tray->hasMenu());
    EXPECT_EQ(nullptr, shown->menu);
    tray->setVisible(0);
    EXPECT_EQ(0, tray->isVisible());
}

TEST_F(Tray, WithoutAMenuClicksGoToTheListenerAndWithOneTheyOpenIt)
{
    tray->setVisible(1);
    Tr::TrayStatusItem& icon = *tray->native().statusItem;
    icon.mouseDown(click(icon));
    icon.mouseDoubleClick(click(icon));
    tray->setHasMenu(1);
    icon.mouseDown(click(icon));
    icon.mouseDoubleClick(click(icon));
    juce::PopupMenu::dismissAllActiveMenus();
    EXPECT_EQ((std::vector<std::string> { "click", "double click", "fill" }), listener.calls);
    EXPECT_EQ(std::vector<Tr::TrayIcon*>(3, tray.get()), listener.icons);
}

TEST_F(Tray, EveryOpeningRefillsTheMenuAndItsChoiceReachesTheListener)
{
    openMenu();
    juce::PopupMenu::dismissAllActiveMenus();
    NSMenu* menu = tray->native().menu;
    ASSERT_EQ(3, menu->numberOfItems());
    EXPECT_STREQ("Open", menu->itemAtIndex(0)->title());
    EXPECT_TRUE(menu->itemAtIndex(1)->isSeparatorItem());
    EXPECT_STREQ("Deep", menu->itemAtIndex(2)->submenu()->itemAtIndex(0)->title());

    // Id 0 is JUCE's "nothing chosen", yet the item still reaches its action.
    popupAction("Open")();
    popupAction("Deep")();
    EXPECT_EQ((std::vector<std::string> { "fill", "chosen 0", "chosen 7" }), listener.calls);

    listener.fill = [](Tr::BMenu&) {};
    openMenu();
    EXPECT_EQ(0, menu->numberOfItems()) << "the last opening's items stayed";
}

TEST_F(Tray, AChoiceMadeInTheShownPopupReachesTheListener)
{
    openMenu();
    juce::Component* popup = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (popup = juce::Component::getCurrentlyModalComponent()) != nullptr; }));
    ASSERT_NE(nullptr, popup->getPeer());
    popup->getPeer()->handleKeyPress(juce::KeyPress(juce::KeyPress::downKey));
    popup->getPeer()->handleKeyPress(juce::KeyPress(juce::KeyPress::returnKey));
    EXPECT_TRUE(pumpUntil([&] { return listener.calls.size() == 2; }));
    EXPECT_EQ((std::vector<std::string> { "fill", "chosen 0" }), listener.calls);
}

TEST_F(Tray, AnIconDeletedBeforeItsMenusChoiceArrivesHearsNothing)
{
    openMenu();
    juce::PopupMenu::dismissAllActiveMenus();
    // Held as a menu still being shown would be.
    NSMenu* stillShown = tray->native().menu;
    stillShown->retain();
    tray.reset();
    stillShown->performActionForItemAtIndex(0);
    stillShown->release();
    EXPECT_EQ(std::vector<std::string> { "fill" }, listener.calls);
}

std::string lastDiagnosticLine;

class TrayImage : public shelltest::InDevelopmentTree
{
protected:
    void SetUp() override
    {
        shelltest::InDevelopmentTree::SetUp();
        Tr::EH_set_output_func([](char* line) { lastDiagnosticLine = line; });
    }
    void TearDown() override
    {
        Tr::EH_set_output_func(nullptr);
        shelltest::InDevelopmentTree::TearDown();
    }
};

TEST_F(TrayImage, IsLoadedFromTheResourcesAndShownByTheIcon)
{
    shelltest::writePng(temp.folder.getChildFile("resources/tray.png"), 16, 16);
    TestTray tray;
    tray.setVisible(1);
    tray.setIcon("tray", nullptr);
    EXPECT_EQ(16, tray.native().image.getWidth());
    EXPECT_TRUE(tray.native().statusItem->isOnDesktop());

    EXPECT_EQ("", lastDiagnosticLine);

    tray.setIcon("missing.png", nullptr);
    EXPECT_FALSE(tray.native().image.isValid());
    EXPECT_NE(std::string::npos, lastDiagnosticLine.find("ERROR: cannot load tray icon image: missing.png"))
        << lastDiagnosticLine;
}

} // namespace
