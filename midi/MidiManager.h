#pragma once

// The MIDI layer's locks, outermost first: a thread that holds one takes only those
// further down.
//  1. The creation lock of the manager, then those of the alias manager, the router
//     and the CoreMIDI factory: held while the instance is made, the manager's
//     initialiser hooks included.
//  2. MidiManager::rebuildLock: the rebuilding of the slots' alias and thru lists,
//     so that the last rebuild sees the last change.
//  3. MidiManager::lock (recursive): the making, moving, opening and closing of
//     device objects, the rescan's passes over the factories, the rescan guard.
//  4. A device's lock (TMidiDeviceBase::lock): its open, close, start, stop and
//     descriptor. Closing an input waits in the back-end for a running delivery.
//  5. A factory's lock (MidiDeviceFactory::lock): its descriptor caches.
//  6. MidiManagerDev::StateLock: the slot lists, every slot's state, the factory
//     list; held around each send.
//  7. TMidiRoute::StateLock, then TMidiAlias::StateLock: a route reads its aliases.
//  8. The register of open ports (OpenMidiDevices) and the creation lock of the
//     back-end's client (GetGlobalMidiClientRef), taken by a device as it opens,
//     starts or closes.
//  9. The mutex of a listener list (MidiListenerList), held only to copy the list
//     or to record a call.
// Listeners of device lists and device control, filters, the incoming and thru
// handlers, and the listeners of alias and route changes are called with none of
// these held, on the thread that caused the change. A removal waits for a call
// running on another thread, so never make one under a lock that the call may need.
// Two locks from outside this layer are held around callbacks all the same:
//  - the device-change notifier's rescan runs inside the timer manager's lock
//    (BTimerManager::lock, process-wide), and so does every listener it tells;
//  - received messages reach the filters and handlers inside the back-end's
//    delivery lock, which closing an input waits for with `lock` and the device's
//    lock held: a filter or handler that takes `lock` (by an open, a close, a
//    rescan) deadlocks against a close or a rescan on another thread.

#include "foundation/BList.h"
#include "foundation/BLock.h"
#include "foundation/PexaSystem.h"
#include "foundation/TIniFile.h"
#include "midi/MidiDeviceListeners.h"
#include "midi/MidiListenerList.h"
#include "midi/MidiManagerDev.h"
#include "midi/MidiManagerListeners.h"
#include "midi/TMidiAliasChangeListener.h"
#include "midi/TMidiRouteChangeListener.h"
#include "platform/coremidi/MIDIServices.h"

#include <atomic>
#include <map>
#include <utility>
#include <vector>

namespace Tr {

class MidiDeviceFactory;
class MIDIDevChangeNotifier;

// The hook of a back-end that acts when the MIDI manager comes and goes. Owned by
// the initialiser list; the manager's destructor deletes them.
class MidiManagerInitializer {
public:
    virtual ~MidiManagerInitializer();
    virtual void OnMidiManagerCreated();
    virtual void OnMidiManagerInited() = 0;
    virtual void OnMidiManagerToBeDeleted();
};

// Made by the first AddInitializer; null again once the manager deleted it.
extern BList<MidiManagerInitializer*>* MidiManagerInitializers;

// The process-wide owner of the MIDI back-ends (device factories) and of one slot
// per port and direction (1 = MIDI IN, 0 = MIDI OUT), made on first use, deleted
// by the shutdown registry, and never made again. It starts suspended.
//
// Threads: the message thread looks up, opens, closes, sends and rescans; the
// "BTimerManager" thread rescans after device changes (MIDIDevChangeNotifier);
// inputs deliver on the back-end's receiving thread. Listeners are told on the
// thread that caused the change, with none of the manager's locks held; a rescan
// asked for while another runs makes that one run once more, and returns at once.
// The order of the locks is at the top of this file.
class MidiManager : public TMidiDeviceDataListener,
                    public TMidiDeviceErrorListener,
                    public TMidiAliasChangeListener,
                    public TMidiRouteChangeListener,
                    public AutoDelete {
public:
    // The count tables have room for this many factories.
    static constexpr int kMaxFactories = 10;

    // Makes the manager (and runs Init) on the first call; throws after deletion.
    static MidiManager* instance();
    static bool IsInstanceAllocated();
    // Appends the initialiser unless it is already there; back-ends call it before main.
    static void AddInitializer(MidiManagerInitializer* initializer);

    // Deletes the notifier first (waiting for its callbacks and a running rescan),
    // then the slots, which close their ports.
    ~MidiManager() override;

    // Factories. AddFactory appends and rescans (only with refreshNow, and not
    // while suspended; else the next lookup rescans); false for null, a factory
    // already there, and one more than kMaxFactories.
    bool AddFactory(MidiDeviceFactory* factory, int refreshNow);
    // The factory's slots stop existing and lose their device objects and their
    // link to the factory, which may be deleted right after.
    void RemoveFactory(MidiDeviceFactory* factory, int fireEvents);
    // The last factory of that type code, or null; its position, or -1.
    MidiDeviceFactory* GetFactory(unsigned int type);
    int GetFactoryIndex(unsigned int type);
    // Every factory rebuilds its descriptor lists at its next request.
    void ClearFactoryCaches();

    int IsSuspended() const;
    // While suspended, opens only mark slots pending, sends send nothing, lookups and
    // the notifier do not rescan. Leaving it rescans, which opens the pending ports.
    void SetSuspended(int on);
    // Gates loadFromIniFile and saveToIniFile; on from the start.
    int IsPersistent() const;
    void SetPersistent(int on);
    // The notifier exists and registered with the message-queue thread.
    int isDetectingMIDIDeviceChanges() const;
    // The notifier, null once detection stopped; the creating thread's.
    MIDIDevChangeNotifier* GetNotifier() const;
    void StopDetectingMIDIDeviceChanges();
    // The notification client, or else a client "Pexa's MIDI" made on first use.
    MIDIClientRef getSharedMIDIClientRef();
    // Does nothing.
    void debugPrintDeviceList();

    // Merges every factory's ports into the slots: keeps a slot per port, closes open
    // ports that vanished or stand behind a change (silently, left pending), and
    // opens pending ports that are present. Forced, it tells the device-list
    // listeners also when nothing changed. Whether anything changed (0 when another
    // rescan was running and will run once more instead).
    int RefreshDevList(int force, int unused, int fireEvents);
    void FireDevListChangeEvent();

    // Lookups; each rescans first when there never was a rescan, unless suspended.
    int GetDevCount(int input);
    MidiManagerDev* GetDevDescriptor(int index, int input);
    int GetDevDescriptor(int index, int input, MidiManagerDev*& slot);
    MidiManagerDev* GetDevDescriptor(BString const& name, int input);
    // The last slot of that display name, case counting; -1 when none.
    int GetDevIndex(BString const& name, int input);
    // The last slot of that type whose name matches ignoring case; with create, a
    // placeholder slot is appended when there is none (not for an empty name).
    int GetDevIndex(BString const& name, int input, unsigned int type, int create);
    int GetInDevIndexByName(BString const& name);
    int GetOutDevIndexByName(BString const& name);
    int GetInDevIndexByName(BString const& name, unsigned int type, int create);
    int GetOutDevIndexByName(BString const& name, unsigned int type, int create);
    // The last slot whose remembered descriptor matches desc; -1 when none.
    int GetDevIndexByDescriptor(int input, MidiDeviceDescriptor* desc);
    int GetDevIndexByInterfaceName(BString const& text, int input);
    // The first slot of the other direction that is the same device port; -1 / null.
    int GetDevicePair(int index, int input);
    MidiManagerDev* GetDevicePair(MidiManagerDev* slot);
    int GetExistingDevCount(int input);
    // The slot's device object (may be null); throws for an index out of range. A
    // rescan may delete it later.
    TMidiDeviceBase* GetMidiInputByIndex(int index);
    TMidiDeviceBase* GetMidiOutputByIndex(int index);

    // Sections "MIDI.in" and "MIDI.out": the open and pending ports, to be opened
    // again; reading marks them pending (placeholders for absent ports).
    void loadFromIniFile(TIniFile& ini);
    void saveToIniFile(TIniFile& ini);

    // After every alias change, and every rescan that changed the slots: each
    // present slot's alias list is made anew, then each present input's thru list.
    void OnMidiAliasListChanged() override;
    // After every route change: each present input's thru list is made anew.
    void OnMidiRouteListChanged() override;

    // Listeners, each registered once; a removal waits for a call running on
    // another thread. Device-control listeners are told last registered first,
    // device-list listeners first registered first.
    void AddDevListChangeListener(TMidiDeviceListListener* listener);
    void RemoveDevListChangeListener(TMidiDeviceListListener* listener);
    void AddDeviceControlListener(MidiManagerDeviceControlListener* listener);
    void RemoveDeviceControlListener(MidiManagerDeviceControlListener* listener);
    // Filters are called last added first on the way out, first added first on
    // the way in; the incoming handler takes received messages (none when null),
    // and those it leaves unhandled go on to the receiving slot's thru list, which
    // the thru handler is then told of. Like listeners, they are called with no
    // lock held, and a removal or replacement waits for a call on another thread.
    void AddOutDeviceFilter(MidiOutDeviceFilter* filter);
    void RemoveOutDeviceFilter(MidiOutDeviceFilter* filter);
    void AddInDeviceFilter(MidiInDeviceFilter* filter);
    void RemoveInDeviceFilter(MidiInDeviceFilter* filter);
    void SetIncomingMessageHandler(MidiIncomingMessageHandler* handler);
    void SetThruHandler(MidiThruHandler* handler);

    // Opening a present port tells the listeners before and after, with the text
    // "Opened MIDI IN: name" / "Opened MIDI OUT: name". An absent port (also one that
    // the back-end finds gone before a rescan noticed), or any port while suspended,
    // is only marked pending and opened by a later rescan. Errors
    // go to the listeners, or with throwOnError are thrown with the prefix
    // "MIDI IN: " / "MIDI OUT: "; the slot keeps the text as its last error.
    void Open(int index, int input, int throwOnError);
    void OpenInDevice(int index, int throwOnError);
    void OpenOutDevice(int index, int throwOnError);
    // Closing an open port tells the listeners before and after, with "Closed MIDI
    // IN: name" / "Closed MIDI OUT: name", and clears pending. While suspended only
    // force closes.
    void Close(int index, int input, int throwOnError, int force);
    void CloseInDevice(int index, int throwOnError, int force);
    void CloseOutDevice(int index, int throwOnError, int force);
    // Every slot of the direction, last first (MIDI OUT, then MIDI IN); nothing
    // without a manager.
    static void CloseAll(int input, int force);
    static void CloseAll(int force);
    // Throws the text with its direction's prefix, or tells it to the listeners.
    void FireErrorEvent(int index, int input, BString const& text, int throwIt);
    void OnMidiDeviceError(TMidiDeviceBase* device, BString const& text) override;

    // Sends to every present and open output, last slot first: 1 when a device took
    // the message. 0 while suspended.
    int SendMessageAllDevs(unsigned char* data, int length);
    // To the MIDI OUT aliases of the list that name a present and open output, last
    // alias first: 1 when a device took the message. 0 while suspended.
    int SendMessageToAliasList(TMidiAliasList& list, unsigned char* data, int length);
    // To one MIDI OUT slot's device object; the device's result. 0 while suspended.
    int SendMessage(int index, unsigned char* data, int length);
    void OnMidiDeviceMessage(TMidiInputBase* device, unsigned long long timestamp, unsigned char* data,
                             int length) override;

    void EnableInActiveSensing(int index, int on);
    void EnableInTimeCode(int index, int on);
    int IsInActiveSensingEnabled(int index);
    int IsInTimeCodeEnabled(int index);
    // Present slots with an open port, both directions.
    int GetNumberOfOpenedDevices();

private:
    friend class MIDIDevChangeNotifier;

    MidiManager();
    void Init();

    // Under StateLock: takes the factory out of the list and its slots; their device
    // objects go into devices. False when it was not there.
    bool forgetFactory(MidiDeviceFactory* factory, std::vector<TMidiDeviceBase*>& devices, bool& changed);
    // The slot's device object; it stays valid while the caller holds lock.
    TMidiDeviceBase* deviceOf(MidiManagerDev* slot);
    BList<MidiManagerDev*>& slotsOf(int input);
    int* countsOf(int input);
    // Under StateLock: the slot, or null out of range.
    MidiManagerDev* slotAt(int index, int input);
    MMDevIn* inSlotAt(int index);
    // The slots of the direction now; their pointers stay valid for the manager's life.
    std::vector<MidiManagerDev*> slotsNow(int input);
    void rescanUnlessEverRefreshed();
    // Under StateLock, without a rescan.
    int findByName(BString const& name, int input);
    int findByDescriptor(int input, MidiDeviceDescriptor* desc);
    int findByNameAndType(BString const& name, int input, unsigned int type, int create);
    // Under both locks: a placeholder slot for a port not present; its index.
    int appendPlaceholder(BString const& name, int input, unsigned int type);
    std::map<std::pair<unsigned int, BString>, int> slotsByTypeAndName(int input);
    MidiManagerDev* appendSlot(MidiManagerDev* slot, int input);

    // The rescan guard: false when a rescan runs (which then runs once more).
    bool beginRescan(int force);
    void endRescan();
    bool takeRefreshAgain(int& force);
    int runPass(int force);
    int RefreshDevListPerFactory(MidiDeviceFactory* factory, int position, int input, int force);
    // Under StateLock: the last slot of the port's display name that the port may
    // take; -1 when none.
    int findSlotFor(MidiDeviceDescriptor* desc, int input);
    void postPass(int& changed);

    void tellControlListeners(int index, int input, BString const& text,
                              void (MidiManagerDeviceControlListener::*after)(int, int));
    void openDevice(int index, int input, int throwOnError);
    void closeDevice(int index, int input, int throwOnError, int force);
    // Under StateLock: present, with an open device object; with a device object.
    static bool isReady(MidiManagerDev* slot);
    static bool hasDevice(MidiManagerDev* slot);
    // The filters, then the send, when the output slot is usable; whether the
    // message was swallowed.
    int sendToSlot(int index, bool (*usable)(MidiManagerDev*), unsigned char*& data, int& length, int& sent);

    void loadSection(TIniFile& ini, int input);
    void saveSection(TIniFile& ini, int input);

    static std::atomic<MidiManager*> inst;
    static std::atomic<int> hadAlreadyBeenDestroyed;

    int initialised = 0;
    BLock lock;
    MIDIDevChangeNotifier* notifier = nullptr; // the creating thread's
    MIDIClientRef sharedClient = 0;            // guarded by lock
    int refreshing = 0;                        // guarded by lock, with the two below
    int refreshAgain = 0;
    int forceAgain = 0;
    BList<MidiDeviceFactory*> factories; // guarded by StateLock
    BList<MidiManagerDev*> inSlots;      // guarded by StateLock, like the slots
    int inCounts[kMaxFactories] = {};    // guarded by lock
    BList<MidiManagerDev*> outSlots;
    int outCounts[kMaxFactories] = {};
    std::atomic<int> suspended{1};
    // One handler at most in each.
    MidiListenerList<MidiIncomingMessageHandler> incomingHandler;
    MidiListenerList<MidiThruHandler> thruHandler;
    BLock rebuildLock;
    MidiListenerList<MidiManagerDeviceControlListener> controlListeners;
    MidiListenerList<TMidiDeviceListListener> devListListeners;
    MidiListenerList<MidiInDeviceFilter> inFilters;
    MidiListenerList<MidiOutDeviceFilter> outFilters;
    std::atomic<int> everRefreshed{0};
    std::atomic<int> persistence{1};
};

} // namespace Tr
