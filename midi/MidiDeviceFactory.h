#pragma once

#include "foundation/BList.h"
#include "foundation/BLock.h"
#include "foundation/PexaSystem.h"
#include "foundation/TStringList.h"
#include "midi/MidiDeviceDescriptor.h"

#include <atomic>

namespace Tr {

class TMidiDeviceBase;
class TMidiDeviceErrorListener;

// The base of every MIDI back-end: one cached descriptor list per direction (0 =
// outputs, any other value = inputs), rebuilt at most once per 1500 ms of quiet,
// with ports of equal names numbered; and the making of device objects. Deleted by
// the shutdown registry.
class MidiDeviceFactory : public AutoDelete {
public:
    static constexpr unsigned int kCachePeriodMillis = 1500;

    MidiDeviceFactory();
    ~MidiDeviceFactory() override;

    // Fills the list (emptied first, its descriptors deleted) with fresh descriptors.
    virtual void recreateCache(int dir, BList<MidiDeviceDescriptor*>& list) = 0;
    virtual int GetNumDevs(int dir);
    // The back-end's four-character type code.
    virtual int GetType() = 0;
    virtual BString GetTypeName(int dir) = 0;
    // Clones of the cached descriptors, which the caller owns; entries the list had
    // are replaced (deleted) and surplus ones deleted.
    virtual void GetDeviceList(int dir, BList<MidiDeviceDescriptor*>& list);
    // Display names with each descriptor's index as the object.
    virtual void GetDeviceList(int dir, TStringList& list);
    virtual void GetPublicDeviceNameList(int dir, TStringList& list);
    // A new, closed device object for the port.
    virtual TMidiDeviceBase* CreateDevice(MidiDeviceDescriptor* desc) = 0;

    // Rebuilds both caches, outputs first, on the first request and when the
    // previous request lies 1500 ms or more back; every request restarts that period.
    void requireCache();
    // The next request rebuilds.
    void InvalidateCache();
    // A fresh list of the direction, numbered as the cache is; the caller owns it.
    void BuildDeviceList(int dir, BList<MidiDeviceDescriptor*>& list);
    // The cached descriptor, owned by the cache and valid until it is rebuilt; null
    // out of range.
    MidiDeviceDescriptor* getDevice(bool input, int index);
    // Deletes cached descriptors from the end down to count; with pad, appends nulls up to count.
    void SetCacheCount(int dir, int count, int pad);
    void SetErrorListener(TMidiDeviceErrorListener* listener);
    void FireMidiErrorEvent(TMidiDeviceBase* device, BString const& text);
    TMidiDeviceBase* CreateInputDevice(MidiDeviceDescriptor* desc);
    TMidiDeviceBase* CreateOutputDevice(MidiDeviceDescriptor* desc);

    // Equal names (ignoring case) get the duplicate numbers 1, 2, 3 ... in list
    // order; ports that also match by their identifiers get the number into their
    // name ("Port 1", "Port 2"), so that remembered descriptors tell them apart.
    // A number that would show a twin under another port's name is passed over.
    // The list is one back-end's.
    static void NumberDuplicates(BList<MidiDeviceDescriptor*>& list);

protected:
    BList<MidiDeviceDescriptor*>& cacheOf(int dir);
    // Display names, or only the public names there are, with each descriptor's index.
    void listNames(int dir, TStringList& list, bool publicNames);

    BLock lock;
    // The last request, and whether there was one: a first request at clock
    // reading 0 is a request too.
    std::atomic<unsigned int> lastRequest{0};
    std::atomic<bool> asked{false};
    BList<MidiDeviceDescriptor*> inputCache;
    BList<MidiDeviceDescriptor*> outputCache;
    std::atomic<TMidiDeviceErrorListener*> errorListener{nullptr};
};

} // namespace Tr
