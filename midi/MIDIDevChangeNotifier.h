#pragma once

#include "foundation/BTimer.h"
#include "foundation/MsgQueue.h"
#include "platform/coremidi/MIDIServices.h"

#include <atomic>

namespace Tr {

class MidiManager;

// Tells the MIDI manager when the set of MIDI devices may have changed. Normally a
// CoreMIDI client made on the message-queue thread hears of devices that come and
// go, and each such notification (re)arms a one-shot timer of 600 ms, whose firing
// rescans with force: a burst gives one rescan, 600 ms after its last
// notification. Where the queue thread or the client cannot be had, a timer polls
// every 10 s with an unforced rescan. The timers run on the "BTimerManager" thread
// and do nothing while the manager is suspended. Made and deleted by the manager.
class MIDIDevChangeNotifier : public BTimer::Listener, public TWndMessageListener {
public:
    static constexpr int kSettleMillis = 600;
    static constexpr int kPollMillis = 10000;

    explicit MIDIDevChangeNotifier(MidiManager& manager);
    // Unregisters from the queue thread, disposes of the client and destroys the
    // timer, each waiting for its running callback; afterwards none runs.
    ~MIDIDevChangeNotifier() override;

    // Registers with the message-queue thread, whose OnMessageQueueCreated makes the
    // client; without the thread: poll mode at once, and false. True when already
    // registered.
    bool registerNotification();
    bool isRegistered() const;
    bool isPolling() const;
    // A rescan is due: the timer is armed.
    bool isArmed() const;
    // The notification client, 0 until the queue thread made it.
    MIDIClientRef GetClient() const;

    void onTimer(BTimer* timer) override;
    void OnWindowMessage(void* handle, unsigned int message, unsigned long long param1, unsigned long long param2,
                         int& result) override;
    void OnMessageQueueCreated(void* handle) override;

    // The notify procedure; refCon is the notifier. Devices, entities and endpoints
    // that are added or removed arm the timer; nothing else does: other
    // notifications, and objects of any other kind, which are this program's own.
    static void Callback(MIDINotification const* message, void* refCon);

    // Arms the timer (again) in the current mode.
    void aSyncRefresh();

private:
    void switchToPolling();

    MidiManager& manager;
    void* queueHandle = nullptr;
    std::atomic<int> pollMode{0};
    std::atomic<bool> registered{false};
    std::atomic<MIDIClientRef> client{0};
    BTimer timer;
};

} // namespace Tr
