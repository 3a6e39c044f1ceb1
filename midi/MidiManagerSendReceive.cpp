#include "midi/MidiManager.h"

#include "midi/TMidiAlias.h"

#include <vector>

namespace Tr {

void MidiManager::AddOutDeviceFilter(MidiOutDeviceFilter* filter)
{
    outFilters.add(filter);
}

void MidiManager::RemoveOutDeviceFilter(MidiOutDeviceFilter* filter)
{
    outFilters.remove(filter);
}

void MidiManager::AddInDeviceFilter(MidiInDeviceFilter* filter)
{
    inFilters.add(filter);
}

void MidiManager::RemoveInDeviceFilter(MidiInDeviceFilter* filter)
{
    inFilters.remove(filter);
}

void MidiManager::SetIncomingMessageHandler(MidiIncomingMessageHandler* handler)
{
    incomingHandler.assign(handler);
}

void MidiManager::SetThruHandler(MidiThruHandler* handler)
{
    thruHandler.assign(handler);
}

int MidiManager::SendMessageAllDevs(unsigned char* data, int length)
{
    if (suspended)
        return 0;
    int count = 0;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        count = outSlots.count;
    }
    int sent = 0;
    for (int i = count - 1; i >= 0; --i)
        if (sendToSlot(i, isReady, data, length, sent))
            return 1;
    return sent;
}

int MidiManager::SendMessageToAliasList(TMidiAliasList& list, unsigned char* data, int length)
{
    if (suspended)
        return 0;
    std::vector<int> indexes;
    for (int i = list.count - 1; i >= 0; --i) {
        TMidiAlias* alias = list.items[i];
        int index = alias->GetMidiManagerDevIndex();
        if (alias->GetType() == AliasMidiOut && index >= 0)
            indexes.push_back(index);
    }
    int sent = 0;
    for (int index : indexes)
        if (sendToSlot(index, isReady, data, length, sent))
            return 1;
    return sent;
}

int MidiManager::SendMessage(int index, unsigned char* data, int length)
{
    if (suspended)
        return 0;
    int sent = 0;
    return sendToSlot(index, hasDevice, data, length, sent) ? 1 : sent;
}

// The filters and handlers run with no lock held, as listeners do, so that they may
// call back into the manager.
void MidiManager::OnMidiDeviceMessage(TMidiInputBase* device, unsigned long long timestamp, unsigned char* data,
                                      int length)
{
    int index = 0;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        index = device->ownerIndex;
    }
    int proceed = 1;
    inFilters.forEach(false, [&](MidiInDeviceFilter* filter) {
        if (proceed)
            filter->FilterMidiIn(index, timestamp, data, length, proceed);
    });
    if (!proceed || suspended)
        return;
    bool offered = false;
    int handled = 0;
    incomingHandler.forEach(false, [&](MidiIncomingMessageHandler* handler) {
        offered = true;
        handler->OnIncomingMidiMessage(index, timestamp, data, length, handled);
    });
    MMDevIn* slot = inSlotAt(index);
    if (!offered || handled || !slot)
        return;
    TMidiAliasList thru;
    slot->GetThruList(thru);
    if (SendMessageToAliasList(thru, data, length))
        thruHandler.forEach(false, [&](MidiThruHandler* handler) { handler->OnMidiThru(thru); });
}

void MidiManager::EnableInActiveSensing(int index, int on)
{
    if (MMDevIn* slot = inSlotAt(index))
        slot->SetActiveSensing(on);
}

void MidiManager::EnableInTimeCode(int index, int on)
{
    if (MMDevIn* slot = inSlotAt(index))
        slot->SetTimingClock(on);
}

int MidiManager::IsInActiveSensingEnabled(int index)
{
    MMDevIn* slot = inSlotAt(index);
    return slot ? slot->GetActiveSensing() : 0;
}

int MidiManager::IsInTimeCodeEnabled(int index)
{
    MMDevIn* slot = inSlotAt(index);
    return slot ? slot->GetTimingClock() : 0;
}

bool MidiManager::isReady(MidiManagerDev* slot)
{
    return slot->exists && slot->device && slot->device->IsOpen();
}

bool MidiManager::hasDevice(MidiManagerDev* slot)
{
    return slot->device != nullptr;
}

// The slot is looked at again after the filters, which run with no lock held.
int MidiManager::sendToSlot(int index, bool (*usable)(MidiManagerDev*), unsigned char*& data, int& length,
                            int& sent)
{
    auto slotToSend = [&] {
        MidiManagerDev* slot = slotAt(index, 0);
        return slot && usable(slot) ? slot : nullptr;
    };
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        if (!slotToSend())
            return 0;
    }
    int proceed = 1;
    outFilters.forEach(true, [&](MidiOutDeviceFilter* filter) {
        if (proceed)
            filter->FilterMidiOut(index, data, length, proceed);
    });
    if (!proceed)
        return 1;
    BLockHolder hold(MidiManagerDev::StateLock());
    MidiManagerDev* slot = slotToSend();
    // Every length goes out as it is: a packed short message would lose its length.
    if (slot && static_cast<TMidiOutputBase*>(slot->device)->SendLong(data, length))
        sent = 1;
    return 0;
}

} // namespace Tr
