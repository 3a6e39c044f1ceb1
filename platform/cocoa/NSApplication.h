#pragma once
// The application object, for drawing the user's attention. On X the request
// sets the urgency hint of the process's windows (those whose _NET_WM_PID is
// ours), which window managers show by flashing the window or its task-bar
// entry until the user turns to it.

enum NSRequestUserAttentionType : unsigned long { NSCriticalRequest = 0, NSInformationalRequest = 10 };

class NSApplication
{
public:
    static NSApplication* sharedApplication();

    // Does nothing while one of the process's windows has the input focus (the
    // application is active); X knows no request that ends by itself, so both
    // types set the hint. Returns the number of windows marked.
    long requestUserAttention(NSRequestUserAttentionType type);

private:
    NSApplication() = default;
};
