#pragma once
// The native side of the application's windows: drawing the user's attention,
// bringing a window to the front and reading a window's title. A window is
// given by its native handle (juce::ComponentPeer::getNativeHandle).

#include "foundation/BString.h"

namespace Tr {

// Asks for the user's attention (the windows' urgency hint), critically or
// just to inform; nothing while the application is active. Any thread: the
// request is made on the message thread.
void bounceApplicationIcon(bool critical);

// Raises the window (or the window that holds a view) and gives it the focus.
// Message thread.
bool SetForegroundWindow(void* window);

// The title of the window behind the handle; empty when it has none.
BString getWindowTitleCocoa(void* windowRef);

} // namespace Tr
