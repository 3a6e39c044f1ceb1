#pragma once
// One short conversation with the X server of $DISPLAY, for the window stand-ins.
// The windows they touch belong to the GUI library and may vanish at any moment,
// so X errors during the conversation are swallowed instead of ending the
// program; the previous error handler is back when it ends. Message thread only
// (the handler is process-wide).

#include <X11/Xlib.h>

#include <string>
#include <vector>

class XServerSession
{
public:
    XServerSession();
    ~XServerSession();
    XServerSession(XServerSession const&) = delete;
    XServerSession& operator=(XServerSession const&) = delete;

    // Null when there is no X server to talk to.
    Display* display() const { return connection; }
    Window root() const;

    // The parent of w; None when w names no window.
    Window parentOf(Window w);
    // The application window that holds w: w itself or the nearest ancestor that
    // a window manager manages (WM_STATE), or else the ancestor just below the
    // root. None when w names no window.
    Window clientWindowOf(Window w);
    // The process id in the window's _NET_WM_PID, 0 when it has none.
    long processOf(Window w);
    // The window manager's client list, or on a bare server the root's children.
    std::vector<Window> clientWindows();
    // A property of 32-bit items (windows, atoms, cardinals); empty when absent.
    std::vector<unsigned long> longProperty(Window w, char const* name, Atom type);
    // _NET_WM_NAME, else WM_NAME, as UTF-8.
    std::string title(Window w);

private:
    // One text property as UTF-8; false when the window lacks it.
    bool textProperty(Window w, Atom property, std::string& text);

    Display* connection;
    int (*previousHandler)(Display*, XErrorEvent*);
};
