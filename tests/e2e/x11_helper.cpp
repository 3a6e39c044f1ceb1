// The two things a black-box test needs of a window manager, on a bare X server:
//   x11_helper atoms [NAME...]   creates the window-manager atoms (and any NAME
//                                given), which JUCE looks up only if they exist
//   x11_helper close WINDOW      asks the window to close, as a window manager
//                                does: WM_PROTOCOLS carrying WM_DELETE_WINDOW
//   x11_helper nudge WINDOW      sends the window an event its program ignores.
//                                Xlib may read an event into its queue during
//                                another request, and a program that waits on
//                                the connection's socket then sees it only when
//                                the next event comes: on a bare server that
//                                may be never, so tests send one.
// The display is $DISPLAY. Exit status 0 on success, 1 on failure, 2 on misuse.
#include "x11_client_message.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char const* const windowManagerAtoms[] = {
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "_MOTIF_WM_HINTS",
    "_NET_WM_ALLOWED_ACTIONS",
    "_NET_WM_ACTION_MOVE",
    "_NET_WM_ACTION_RESIZE",
    "_NET_WM_ACTION_MINIMIZE",
    "_NET_WM_ACTION_FULLSCREEN",
    "_NET_WM_ACTION_MAXIMIZE_HORZ",
    "_NET_WM_ACTION_MAXIMIZE_VERT",
    "_NET_WM_ACTION_CLOSE",
};

int createAtoms(Display* display, int count, char** extra)
{
    for (char const* name : windowManagerAtoms)
        if (XInternAtom(display, name, False) == None)
            return 1;
    for (int i = 0; i < count; ++i)
        if (XInternAtom(display, extra[i], False) == None)
            return 1;
    XSync(display, False);
    return 0;
}

// Sends the window given by its id a client message; the exit status.
int sendToWindow(Display* display, char const* windowText, char const* type, char const* data)
{
    char* end = nullptr;
    unsigned long window = std::strtoul(windowText, &end, 0);
    if (end == windowText || *end != '\0')
        return 2;
    return sendClientMessage(display, window, type, data) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    char const* command = argc > 1 ? argv[1] : "";
    bool atoms = std::strcmp(command, "atoms") == 0;
    bool close = std::strcmp(command, "close") == 0;
    bool nudge = std::strcmp(command, "nudge") == 0;
    if (!atoms && !((close || nudge) && argc == 3)) {
        std::fprintf(stderr, "usage: %s atoms [NAME...] | close WINDOW | nudge WINDOW\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "%s: cannot open display\n", argv[0]);
        return 1;
    }
    int result;
    if (atoms)
        result = createAtoms(display, argc - 2, argv + 2);
    else if (close)
        result = sendToWindow(display, argv[2], "WM_PROTOCOLS", "WM_DELETE_WINDOW");
    else
        result = sendToWindow(display, argv[2], "DRAVIK_E2E_NUDGE", "DRAVIK_E2E_NUDGE");
    XCloseDisplay(display);
    return result;
}
