#include "platform/cocoa/NSWindow.h"

#include "platform/cocoa/NSString.h"
#include "platform/cocoa/XServer.h"

#include <cstdint>
#include <cstring>

namespace {

Window clientWindowFor(void* windowRef)
{
    XServerSession x;
    auto w = static_cast<Window>(reinterpret_cast<std::uintptr_t>(windowRef));
    return x.display() && w != None ? x.clientWindowOf(w) : None;
}

void askWindowManagerToActivate(XServerSession& x, Window w)
{
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(x.display(), "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1; // the request comes from an application
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x.display(), x.root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

} // namespace

NSWindow::NSWindow(void* windowRef) : window(clientWindowFor(windowRef)) {}

NSString* NSWindow::title() const
{
    XServerSession x;
    std::string text = x.display() && window != None ? x.title(window) : std::string();
    NSString* title = NSString::stringWithCString(text.c_str(), NSUTF8StringEncoding);
    return title ? title : NSString::stringWithCString("", NSUTF8StringEncoding);
}

void NSWindow::makeKeyAndOrderFront(NSObject*)
{
    XServerSession x;
    if (!x.display() || window == None)
        return;
    askWindowManagerToActivate(x, window);
    XRaiseWindow(x.display(), window);
    XWindowAttributes attributes;
    // Only a window on screen can take the focus.
    if (XGetWindowAttributes(x.display(), window, &attributes) && attributes.map_state == IsViewable)
        XSetInputFocus(x.display(), window, RevertToParent, CurrentTime);
}
