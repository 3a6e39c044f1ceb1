#include "app/JuceUtils.h"
#include "app/NativeWindow.h"
#include "tests/support/DispatchLoop.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <memory>
#include <thread>

namespace {

// The test's own look at the X server, as another client would see the windows.
class XView
{
public:
    XView() : display(XOpenDisplay(nullptr)) {}
    ~XView() { XCloseDisplay(display); }

    bool urgent(Window w)
    {
        XWMHints* hints = XGetWMHints(display, w);
        bool isUrgent = hints && (hints->flags & XUrgencyHint);
        if (hints)
            XFree(hints);
        return isUrgent;
    }
    void focus(Window w)
    {
        XSetInputFocus(display, w, RevertToNone, CurrentTime);
        XSync(display, False);
    }
    Window focused()
    {
        Window w = None;
        int revert = 0;
        XGetInputFocus(display, &w, &revert);
        return w;
    }
    // Position in the stacking order, bottom first.
    int stackingIndex(Window w)
    {
        Window root = None, parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        int index = -1;
        for (unsigned int i = 0; i < count; ++i)
            if (children[i] == w)
                index = int(i);
        if (children)
            XFree(children);
        return index;
    }

    Display* const display;
};

class Shown : public juce::DocumentWindow
{
public:
    explicit Shown(juce::String const& title) : juce::DocumentWindow(title, juce::Colours::grey, 0)
    {
        setBounds(100, 100, 200, 150);
        setVisible(true);
    }
    void* handle() { return getPeer()->getNativeHandle(); }
    Window window() { return static_cast<Window>(reinterpret_cast<std::uintptr_t>(handle())); }
};

TEST(NativeWindow, TheTitleIsReadBackFromTheWindow)
{
    juce::String const title = juce::CharPointer_UTF8("Dravik MIDI T \xc3\xbc");
    Shown window(title);
    EXPECT_STREQ(title.toRawUTF8(), Tr::getWindowTitleCocoa(window.handle()).c_str());

    // The window manager's own UTF-8 title (_NET_WM_NAME) comes first.
    XView x;
    char const netTitle[] = "Dravik \xe2\x80\x93 \xe6\x97\xa5";
    XChangeProperty(x.display, window.window(), XInternAtom(x.display, "_NET_WM_NAME", False),
                    XInternAtom(x.display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<unsigned char const*>(netTitle), int(sizeof netTitle - 1));
    XSync(x.display, False);
    EXPECT_STREQ(netTitle, Tr::getWindowTitleCocoa(window.handle()).c_str());
}

TEST(NativeWindow, AHandleOfNoWindowHasNoTitleAndCannotBeBroughtForward)
{
    void* gone = reinterpret_cast<void*>(std::uintptr_t(0x7ffffff));
    EXPECT_STREQ("", Tr::getWindowTitleCocoa(gone).c_str());
    EXPECT_TRUE(Tr::SetForegroundWindow(gone));
}

TEST(NativeWindow, SetForegroundWindowRaisesAndFocusesTheWindow)
{
    Shown below("below"), above("above");
    XView x;
    ASSERT_LT(x.stackingIndex(below.window()), x.stackingIndex(above.window()));
    x.focus(above.window());

    EXPECT_TRUE(Tr::SetForegroundWindow(below.handle()));
    EXPECT_GT(x.stackingIndex(below.window()), x.stackingIndex(above.window()));
    EXPECT_EQ(below.window(), x.focused());
}

TEST(NativeWindow, AttentionIsAskedForOnTheMessageThreadEvenFromAnotherThread)
{
    Shown window("attention");
    XView x;
    x.focus(PointerRoot);
    ASSERT_FALSE(x.urgent(window.window()));

    std::thread([] { Tr::bounceApplicationIcon(false); }).join();
    EXPECT_FALSE(x.urgent(window.window())) << "asked on the worker thread";
    EXPECT_TRUE(guitest::pumpUntil([&] { return x.urgent(window.window()); }));
}

TEST(NativeWindow, AnActiveApplicationIsNotAskedForAttention)
{
    Shown window("active");
    XView x;
    x.focus(window.window());
    Tr::bounceApplicationIcon(true);
    EXPECT_FALSE(x.urgent(window.window()));
}

TEST(NativeWindow, AConfirmationAsksForAttentionFirst)
{
    Shown window("confirming");
    XView x;
    x.focus(PointerRoot);
    bool urgentWhenAsked = false;
    auto previous = JuceUtils::setDialogHook([&](JuceUtils::Dialog const&) {
        urgentWhenAsked = x.urgent(window.window());
        return JuceUtils::Yes;
    });
    EXPECT_EQ(JuceUtils::Yes, JuceUtils::Confirm("Sure?", false, false, false));
    JuceUtils::setDialogHook(previous);
    EXPECT_TRUE(urgentWhenAsked);
}

} // namespace
