#include "platform/cocoa/NSApplication.h"

#include "platform/cocoa/XServer.h"

#include <X11/Xutil.h>
#include <unistd.h>

namespace {

// The focus lies in one of our windows when it or an ancestor carries our pid.
bool hasFocus(XServerSession& x, long pid)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(x.display(), &focus, &revert);
    for (Window w = focus; w != None && w != PointerRoot && w != x.root(); w = x.parentOf(w))
        if (x.processOf(w) == pid)
            return true;
    return false;
}

void setUrgencyHint(Display* display, Window w)
{
    XWMHints* hints = XGetWMHints(display, w);
    XWMHints* changed = hints ? hints : XAllocWMHints();
    if (!changed)
        return;
    changed->flags |= XUrgencyHint;
    XSetWMHints(display, w, changed);
    XFree(changed);
}

} // namespace

NSApplication* NSApplication::sharedApplication()
{
    static NSApplication application;
    return &application;
}

long NSApplication::requestUserAttention(NSRequestUserAttentionType)
{
    XServerSession x;
    long pid = static_cast<long>(getpid());
    if (!x.display() || hasFocus(x, pid))
        return 0;
    long marked = 0;
    for (Window w : x.clientWindows()) {
        XWindowAttributes attributes;
        // Pop-up menus and tool tips are not the application's windows.
        if (x.processOf(w) == pid && XGetWindowAttributes(x.display(), w, &attributes)
            && !attributes.override_redirect) {
            setUrgencyHint(x.display(), w);
            ++marked;
        }
    }
    return marked;
}
