#pragma once
// The client messages a window manager sends, for programs that stand in for
// one on a bare X server (x11_helper, benchmarks/startup_probe).
#include <X11/Xlib.h>

// Sends the window a 32-bit client message of the given type carrying one atom
// and waits until the server has it; false when the server refused it.
inline bool sendClientMessage(Display* display, Window window, char const* type, char const* data)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, type, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, data, False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return sent != 0;
}
