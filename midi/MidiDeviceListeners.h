#pragma once

#include "foundation/BString.h"

namespace Tr {

class TMidiDeviceBase;
class TMidiInputBase;
class TMidiOutputBase;

// Told of every complete message an input receives, on the back-end's receive
// thread, stamped with the time of the packet that carried it.
class TMidiDeviceDataListener {
public:
    virtual void OnMidiDeviceMessage(TMidiInputBase* device, unsigned long long timestamp, unsigned char* data,
                                     int length) = 0;

protected:
    ~TMidiDeviceDataListener() = default;
};

// Told of errors that a device reports.
class TMidiDeviceErrorListener {
public:
    virtual void OnMidiDeviceError(TMidiDeviceBase* device, BString const& text) = 0;

protected:
    ~TMidiDeviceErrorListener() = default;
};

// Called again and again while a waiting System Exclusive send waits; clearing
// keepWaiting (1 on entry) gives up the wait.
class TMidiOutWaitCallback {
public:
    virtual void OnMidiOutWait(TMidiOutputBase* device, int& keepWaiting) = 0;

protected:
    ~TMidiOutWaitCallback() = default;
};

} // namespace Tr
