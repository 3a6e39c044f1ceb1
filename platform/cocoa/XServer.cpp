#include "platform/cocoa/XServer.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace {

int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

XServerSession::XServerSession() : connection(XOpenDisplay(nullptr)), previousHandler(nullptr)
{
    if (connection)
        previousHandler = XSetErrorHandler(ignoreError);
}

XServerSession::~XServerSession()
{
    if (!connection)
        return;
    // Errors of our requests arrive by this sync at the latest.
    XSync(connection, False);
    XSetErrorHandler(previousHandler);
    XCloseDisplay(connection);
}

Window XServerSession::root() const
{
    return DefaultRootWindow(connection);
}

std::vector<unsigned long> XServerSession::longProperty(Window w, char const* name, Atom type)
{
    std::vector<unsigned long> values;
    Atom property = XInternAtom(connection, name, True);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (property == None
        || XGetWindowProperty(connection, w, property, 0, 65536, False, type, &actualType, &format, &count,
                              &remaining, &data) != Success)
        return values;
    if (data && actualType == type && format == 32) {
        // Xlib hands 32-bit items over as longs.
        auto* items = reinterpret_cast<unsigned long*>(data);
        values.assign(items, items + count);
    }
    if (data)
        XFree(data);
    return values;
}

long XServerSession::processOf(Window w)
{
    std::vector<unsigned long> pid = longProperty(w, "_NET_WM_PID", XA_CARDINAL);
    return pid.empty() ? 0 : static_cast<long>(pid[0]);
}

Window XServerSession::parentOf(Window w)
{
    Window rootWindow = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(connection, w, &rootWindow, &parent, &children, &count))
        return None;
    if (children)
        XFree(children);
    return parent;
}

Window XServerSession::clientWindowOf(Window w)
{
    Atom wmState = XInternAtom(connection, "WM_STATE", True);
    while (w != None) {
        if (wmState != None && !longProperty(w, "WM_STATE", wmState).empty())
            return w;
        Window parent = parentOf(w);
        if (parent == None)
            return None;
        if (parent == root())
            return w;
        w = parent;
    }
    return None;
}

std::vector<Window> XServerSession::clientWindows()
{
    std::vector<Window> clients;
    for (unsigned long w : longProperty(root(), "_NET_CLIENT_LIST", XA_WINDOW))
        clients.push_back(static_cast<Window>(w));
    if (!clients.empty())
        return clients;
    Window rootWindow = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(connection, root(), &rootWindow, &parent, &children, &count) && children) {
        clients.assign(children, children + count);
        XFree(children);
    }
    return clients;
}

std::string XServerSession::title(Window w)
{
    std::string text;
    if (!textProperty(w, XInternAtom(connection, "_NET_WM_NAME", True), text))
        textProperty(w, XA_WM_NAME, text);
    return text;
}

bool XServerSession::textProperty(Window w, Atom property, std::string& text)
{
    XTextProperty value {};
    if (property == None || !XGetTextProperty(connection, w, &value, property) || !value.value)
        return false;
    char** list = nullptr;
    int count = 0;
    bool converted = Xutf8TextPropertyToTextList(connection, &value, &list, &count) >= Success && list && count > 0;
    if (converted)
        text = list[0];
    if (list)
        XFreeStringList(list);
    XFree(value.value);
    return converted;
}
