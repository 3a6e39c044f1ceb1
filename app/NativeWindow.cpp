#include "app/NativeWindow.h"

#include "platform/cocoa/NSApplication.h"
#include "platform/cocoa/NSString.h"
#include "platform/cocoa/NSWindow.h"

#include <juce_events/juce_events.h>

namespace Tr {

void bounceApplicationIcon(bool critical)
{
    auto request = [critical] {
        NSApplication::sharedApplication()->requestUserAttention(critical ? NSCriticalRequest
                                                                          : NSInformationalRequest);
    };
    if (juce::MessageManager::existsAndIsCurrentThread())
        request();
    else
        juce::MessageManager::callAsync(request);
}

bool SetForegroundWindow(void* window)
{
    auto* wrapper = new NSWindow(window);
    wrapper->makeKeyAndOrderFront(nullptr);
    wrapper->release();
    return true;
}

BString getWindowTitleCocoa(void* windowRef)
{
    NSAutoreleasePool pool;
    auto* wrapper = new NSWindow(windowRef);
    BString title(wrapper->title());
    wrapper->release();
    return title;
}

} // namespace Tr
