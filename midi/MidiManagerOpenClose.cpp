#include "midi/MidiManager.h"

#include "foundation/Exception.h"
#include "midi/MidiPortAbsent.h"

namespace Tr {

namespace {

char const* const SIllegalInId = "Internal error: illegal MIDI In device ID: %d";
char const* const SIllegalOutId = "Internal error: illegal MIDI Out device ID: %d";
char const* const SInCannotOpen = "MIDI IN device \"%s\" could not be opened.";
char const* const SOutCannotOpen = "MIDI OUT device \"%s\" could not be opened.";
char const* const SInOpened = "Opened MIDI IN: %s";
char const* const SOutOpened = "Opened MIDI OUT: %s";
char const* const SInClosed = "Closed MIDI IN: %s";
char const* const SOutClosed = "Closed MIDI OUT: %s";
char const* const SInErrorPrefix = "MIDI IN: ";
char const* const SOutErrorPrefix = "MIDI OUT: ";

BString textFor(char const* format, BString const& name)
{
    return BString::format(format, name.c_str());
}

} // namespace

void MidiManager::AddDevListChangeListener(TMidiDeviceListListener* listener)
{
    devListListeners.add(listener);
}

void MidiManager::RemoveDevListChangeListener(TMidiDeviceListListener* listener)
{
    devListListeners.remove(listener);
}

void MidiManager::AddDeviceControlListener(MidiManagerDeviceControlListener* listener)
{
    controlListeners.add(listener);
}

void MidiManager::RemoveDeviceControlListener(MidiManagerDeviceControlListener* listener)
{
    controlListeners.remove(listener);
}

void MidiManager::Open(int index, int input, int throwOnError)
{
    openDevice(index, input ? 1 : 0, throwOnError);
}

void MidiManager::OpenInDevice(int index, int throwOnError)
{
    openDevice(index, 1, throwOnError);
}

void MidiManager::OpenOutDevice(int index, int throwOnError)
{
    openDevice(index, 0, throwOnError);
}

void MidiManager::Close(int index, int input, int throwOnError, int force)
{
    closeDevice(index, input ? 1 : 0, throwOnError, force);
}

void MidiManager::CloseInDevice(int index, int throwOnError, int force)
{
    closeDevice(index, 1, throwOnError, force);
}

void MidiManager::CloseOutDevice(int index, int throwOnError, int force)
{
    closeDevice(index, 0, throwOnError, force);
}

void MidiManager::CloseAll(int input, int force)
{
    MidiManager* manager = inst;
    if (!manager)
        return;
    for (int i = manager->GetDevCount(input) - 1; i >= 0; --i)
        manager->Close(i, input, 0, force);
}

void MidiManager::CloseAll(int force)
{
    CloseAll(0, force);
    CloseAll(1, force);
}

void MidiManager::FireErrorEvent(int index, int input, BString const& text, int throwIt)
{
    if (throwIt)
        throw Exception((input ? SInErrorPrefix : SOutErrorPrefix) + text);
    controlListeners.forEach(true, [&](MidiManagerDeviceControlListener* listener) {
        listener->OnMidiErrorMessage(index, input, text);
    });
}

void MidiManager::OnMidiDeviceError(TMidiDeviceBase* device, BString const& text)
{
    int index = 0;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        index = device->ownerIndex;
    }
    FireErrorEvent(index, dynamic_cast<TMidiInputBase*>(device) ? 1 : 0, text, 0);
}

int MidiManager::GetNumberOfOpenedDevices()
{
    int opened = 0;
    for (int input : {0, 1})
        for (int i = 0, count = GetDevCount(input); i < count; ++i)
            if (MidiManagerDev* slot = GetDevDescriptor(i, input))
                opened += slot->Exists() && slot->IsOpen() ? 1 : 0;
    return opened;
}

void MidiManager::tellControlListeners(int index, int input, BString const& text,
                                       void (MidiManagerDeviceControlListener::*after)(int, int))
{
    controlListeners.forEach(true, [&](MidiManagerDeviceControlListener* listener) {
        listener->OnMidiStringMessage(index, input, text);
        (listener->*after)(index, input);
    });
}

void MidiManager::openDevice(int index, int input, int throwOnError)
{
    MidiManagerDev* slot = nullptr;
    bool later = false;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        slot = slotAt(index, input);
        later = slot && (suspended || !slot->exists);
        if (later)
            slot->pending = 1;
    }
    if (!slot)
        return FireErrorEvent(-1, input, BString::format(input ? SIllegalInId : SIllegalOutId, index), throwOnError);
    if (later)
        return;
    {
        BLockHolder hold(lock);
        if (!slot->GetDev()) {
            BLockHolder holdState(MidiManagerDev::StateLock());
            slot->pending = 1;
            return;
        }
    }
    try {
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            slot->lastError.clear();
        }
        controlListeners.forEach(true, [&](MidiManagerDeviceControlListener* listener) {
            listener->OnBeforeOpenMidiDevice(index, input);
        });
        bool open = false;
        {
            BLockHolder hold(lock);
            if (TMidiDeviceBase* device = deviceOf(slot)) {
                device->Open();
                if (input && device->IsOpen())
                    static_cast<TMidiInputBase*>(device)->Start();
                open = device->IsOpen();
            }
        }
        BString name = slot->GetName();
        if (!open)
            return FireErrorEvent(index, input, textFor(input ? SInCannotOpen : SOutCannotOpen, name), throwOnError);
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            slot->pending = 0;
        }
        tellControlListeners(index, input, textFor(input ? SInOpened : SOutOpened, name),
                             &MidiManagerDeviceControlListener::OnAfterOpenMidiDevice);
    } catch (Exception const& error) {
        // A port that went since the last rescan waits for its return, as an absent one does.
        bool absent = dynamic_cast<MidiPortAbsent const*>(&error) != nullptr;
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            slot->lastError = error.what();
            if (absent)
                slot->pending = 1;
        }
        {
            BLockHolder hold(lock);
            if (TMidiDeviceBase* device = deviceOf(slot))
                device->Close();
        }
        if (absent)
            return;
        if (throwOnError)
            throw;
        FireErrorEvent(index, input, error.what(), 0);
    }
}

void MidiManager::closeDevice(int index, int input, int throwOnError, int force)
{
    MidiManagerDev* slot = nullptr;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        slot = slotAt(index, input);
    }
    if (!slot)
        return FireErrorEvent(-1, input, BString::format(input ? SIllegalInId : SIllegalOutId, index), throwOnError);
    if (!(suspended && !force) && slot->IsOpen()) {
        try {
            controlListeners.forEach(true, [&](MidiManagerDeviceControlListener* listener) {
                listener->OnBeforeCloseMidiDevice(index, input);
            });
            {
                BLockHolder hold(lock);
                if (TMidiDeviceBase* device = deviceOf(slot)) {
                    if (input)
                        static_cast<TMidiInputBase*>(device)->Stop();
                    device->Close();
                }
            }
            tellControlListeners(index, input, textFor(input ? SInClosed : SOutClosed, slot->GetName()),
                                 &MidiManagerDeviceControlListener::OnAfterCloseMidiDevice);
        } catch (Exception const& error) {
            if (throwOnError)
                throw;
            return FireErrorEvent(index, input, error.what(), 0);
        }
    }
    BLockHolder hold(MidiManagerDev::StateLock());
    slot->pending = 0;
}

} // namespace Tr
