#include "midi/OpenMidiDevices.h"

#include "foundation/BLock.h"

#include <atomic>

namespace Tr {

namespace {

TStringList* OpenInDevices = nullptr;
TStringList* OpenOutDevices = nullptr;
std::atomic<bool> midiShareObjectsFreed{false};
thread_local int enteredOnThisThread = 0;

// Never deleted: a thread may still wait for it while the process exits.
BLock& openMidiListLock()
{
    static BLock* lock = new BLock;
    return *lock;
}

// Holds the register lock for a scope; usable() is false once the register is freed.
class RegisterHold {
public:
    RegisterHold() { midiShareMidiListLockEnter(); }
    RegisterHold(RegisterHold const&) = delete;
    RegisterHold& operator=(RegisterHold const&) = delete;
    ~RegisterHold() { midiShareMidiListLockLeave(); }

    bool usable() const { return !midiShareObjectsFreed; }
};

int indexOf(TStringList const& list, BString const& name, void const* owner)
{
    for (int i = 0; i < list.GetCount(); ++i)
        if (list.GetObject(i) == owner && list.GetString(i).equalsIgnoreCase(name))
            return i;
    return -1;
}

TMIDIDevicesBuffer_deleter deleteAtExit;

} // namespace

void midiShareMidiListLockEnter()
{
    if (midiShareObjectsFreed)
        return;
    openMidiListLock().Enter();
    ++enteredOnThisThread;
}

void midiShareMidiListLockLeave()
{
    if (enteredOnThisThread == 0)
        return;
    --enteredOnThisThread;
    openMidiListLock().Leave();
}

TStringList* getMidiDevList(int dir, int create)
{
    TStringList** list = dir == 1 ? &OpenInDevices : dir == 0 ? &OpenOutDevices : nullptr;
    if (list && !*list && create)
        *list = new TStringList;
    return list ? *list : nullptr;
}

void AddOpenMidiDevice(int dir, BString const& name, void const* owner)
{
    RegisterHold hold;
    TStringList* list = hold.usable() ? getMidiDevList(dir, 1) : nullptr;
    if (list && indexOf(*list, name, owner) < 0)
        list->AddObject(name, const_cast<void*>(owner));
}

void RemoveOpenMidiDevice(int dir, BString const& name, void const* owner)
{
    RegisterHold hold;
    if (TStringList* list = hold.usable() ? getMidiDevList(dir, 0) : nullptr)
        list->Delete(indexOf(*list, name, owner));
}

bool IsMidiDeviceOpen(int dir, BString const& name)
{
    RegisterHold hold;
    TStringList* list = hold.usable() ? getMidiDevList(dir, 0) : nullptr;
    return list && list->IndexOfIgnoreCase(name) >= 0;
}

void FreeMidiDevListBuffer()
{
    RegisterHold hold;
    midiShareObjectsFreed = true;
    delete OpenInDevices;
    delete OpenOutDevices;
    OpenInDevices = nullptr;
    OpenOutDevices = nullptr;
}

TMIDIDevicesBuffer_deleter::~TMIDIDevicesBuffer_deleter()
{
    FreeMidiDevListBuffer();
}

} // namespace Tr
