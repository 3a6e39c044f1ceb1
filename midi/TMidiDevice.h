#pragma once

#include "foundation/BLock.h"
#include "foundation/BString.h"
#include "midi/MidiDeviceDescriptor.h"
#include "midi/MidiDeviceListeners.h"

#include <atomic>

namespace Tr {

class MidiManagerDev;

// A device object: one port that can be opened and closed any number of times.
// Open state is a non-zero handle from the back-end (for CoreMIDI the endpoint).
// Opening and closing run under the device lock, so two closes never both release
// the port; an open port's display name is in the process's register of open ports.
class TMidiDeviceBase {
public:
    // Takes the descriptor.
    explicit TMidiDeviceBase(MidiDeviceDescriptor* desc);
    TMidiDeviceBase(TMidiDeviceBase const&) = delete;
    TMidiDeviceBase& operator=(TMidiDeviceBase const&) = delete;

    // Opens the port and sets the handle, or throws.
    virtual void OpenImpl() = 0;
    // Releases what OpenImpl and later operations acquired for the handle.
    virtual int CloseImpl(void* handle) = 0;
    // Does not close: a back-end's destructor closes first.
    virtual ~TMidiDeviceBase();
    // A back-end closes an open device whose handle no longer reaches its port; the
    // base does nothing.
    virtual void VerifyOpenState();

    // Nothing when open; an exception of OpenImpl passes with the lock released.
    void Open();
    void Close();
    bool IsOpen() const;
    unsigned long long GetOpenHandle() const;
    // Keeps a clone of desc unless it equals the current descriptor.
    void SetDescriptor(MidiDeviceDescriptor* desc);
    MidiDeviceDescriptor* GetDescriptor() const;
    // Passes the text to the error listener of the descriptor's factory.
    void FireMidiErrorEvent(BString const& text);

    // The manager slot that owns the device; errors are reported under its index.
    int ownerIndex = 0;
    MidiManagerDev* owner = nullptr;

protected:
    BLock lock;
    MidiDeviceDescriptor* descriptor;
    std::atomic<unsigned long long> openHandle{0};

private:
    // The register entry this device made when it opened.
    int registeredDir = 0;
    BString registeredName;
};

// An input: received bytes are split into single messages for the data listener.
class TMidiInputBase : public TMidiDeviceBase {
public:
    using TMidiDeviceBase::TMidiDeviceBase;

    virtual void Start() = 0;
    virtual int Stop() = 0;
    virtual bool IsStarted() = 0;
    virtual int GetActiveSensing();
    virtual void SetActiveSensing(int on);
    virtual int GetTimingClock();
    virtual void SetTimingClock(int on);
    virtual void SetDataListener(TMidiDeviceDataListener* listener);

    // Delivers each message of the bytes, all with the same time stamp, leaving out
    // Timing Clock (0xF8) and Active Sensing (0xFE) while their switch is off. A
    // message without a fixed length runs to the next status byte (an End of
    // Exclusive included). The number delivered, or -1 without a listener.
    int SplitAndDispatchMidiMessage(unsigned long long timestamp, unsigned char* data, int length);

private:
    std::atomic<TMidiDeviceDataListener*> dataListener{nullptr};
    std::atomic<int> activeSensing{1};
    std::atomic<int> timingClock{1};
};

// An output. Sends return non-zero on success.
class TMidiOutputBase : public TMidiDeviceBase {
public:
    using TMidiDeviceBase::TMidiDeviceBase;

    virtual int SendShort(unsigned char status, unsigned char data1, unsigned char data2) = 0;
    // The low, second and third byte of packed.
    virtual int SendShort(unsigned int packed);
    // SendLongWait without a callback.
    virtual int SendLong(unsigned char* data, int length);
    virtual int SendLongWait(unsigned char* data, int length, TMidiOutWaitCallback* callback) = 0;
    virtual int QueuedLongMessages();
};

// Closes and deletes a device object taken out of its slot; null is ignored.
void discard(TMidiDeviceBase* device);

} // namespace Tr
