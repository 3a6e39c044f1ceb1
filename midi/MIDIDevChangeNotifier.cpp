#include "midi/MIDIDevChangeNotifier.h"

#include "midi/MidiManager.h"

namespace Tr {

namespace {

bool isDeviceObject(MIDIObjectType type)
{
    return type == kMIDIObjectType_Device || type == kMIDIObjectType_Entity || type == kMIDIObjectType_Source ||
           type == kMIDIObjectType_Destination;
}

} // namespace

MIDIDevChangeNotifier::MIDIDevChangeNotifier(MidiManager& manager)
    : manager(manager), timer(this, kSettleMillis, 0, "MIDIDevChange async")
{
    // The timers' manager is made now, after the MIDI manager, so that the shutdown
    // deletes it after the MIDI manager and with it this notifier. Made by a first
    // notification during the shutdown, it would be recorded nowhere and its
    // thread never joined.
    BTimerManager::instance();
}

MIDIDevChangeNotifier::~MIDIDevChangeNotifier()
{
    if (queueHandle) {
        DestroyHwnd(queueHandle);
        queueHandle = nullptr;
    }
    if (MIDIClientRef made = client.exchange(0))
        MIDIClientDispose(made);
}

bool MIDIDevChangeNotifier::registerNotification()
{
    if (registered)
        return true;
    queueHandle = AllocateHwnd(this, "MIDIDevChangeMsgQueue");
    registered = queueHandle != nullptr;
    if (!registered)
        switchToPolling();
    return registered;
}

bool MIDIDevChangeNotifier::isRegistered() const
{
    return registered;
}

bool MIDIDevChangeNotifier::isPolling() const
{
    return pollMode != 0;
}

bool MIDIDevChangeNotifier::isArmed() const
{
    return timer.isStarted() != 0;
}

MIDIClientRef MIDIDevChangeNotifier::GetClient() const
{
    return client;
}

void MIDIDevChangeNotifier::onTimer(BTimer* /*timer*/)
{
    if (manager.IsSuspended())
        return;
    manager.RefreshDevList(isPolling() ? 0 : 1, 0, 1);
}

void MIDIDevChangeNotifier::OnWindowMessage(void* /*handle*/, unsigned int /*message*/,
                                            unsigned long long /*param1*/, unsigned long long /*param2*/,
                                            int& /*result*/)
{
}

void MIDIDevChangeNotifier::OnMessageQueueCreated(void* /*handle*/)
{
    CFStringRef name = BString("PEXA'S MIDI LISTENER").toCFString();
    MIDIClientRef made = 0;
    OSStatus status = MIDIClientCreate(name, Callback, this, &made);
    CFRelease(name);
    if (status == 0)
        client = made;
    else
        switchToPolling();
}

void MIDIDevChangeNotifier::Callback(MIDINotification const* message, void* refCon)
{
    if (message->messageID != kMIDIMsgObjectAdded && message->messageID != kMIDIMsgObjectRemoved)
        return;
    auto change = reinterpret_cast<MIDIObjectAddRemoveNotification const*>(message);
    if (isDeviceObject(change->childType))
        static_cast<MIDIDevChangeNotifier*>(refCon)->aSyncRefresh();
}

void MIDIDevChangeNotifier::aSyncRefresh()
{
    timer.start();
}

// The timer is set up anew only here, before it runs in the new mode: a
// notification only ever restarts it.
void MIDIDevChangeNotifier::switchToPolling()
{
    pollMode = 1;
    timer.setName("MIDIDevChange Poller");
    timer.setInterval(kPollMillis);
    timer.setRepeating(1);
    aSyncRefresh();
}

} // namespace Tr
