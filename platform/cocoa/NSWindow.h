#pragma once
// A window of the GUI library seen from outside, as AppKit wraps a Carbon window
// in an NSWindow: the native handle is an X window id, and the object stands for
// the application window that holds it (a view's handle gives its window).

#include "platform/cocoa/NSObject.h"

class NSString;

class NSWindow : public NSObject
{
public:
    // initWithWindowRef:. A handle that names no window gives an object whose
    // operations do nothing.
    explicit NSWindow(void* windowRef);

    // Autoreleased; the empty string when the window has no title or is gone.
    NSString* title() const;
    // Raises the window above the others and gives it the input focus, through
    // the window manager (_NET_ACTIVE_WINDOW) and directly, for a bare server.
    void makeKeyAndOrderFront(NSObject* sender);

private:
    ~NSWindow() override = default;

    unsigned long const window;
};
