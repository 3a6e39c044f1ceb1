#pragma once

#include "foundation/PexaSystem.h"
#include "foundation/TIniFile.h"
#include "midi/MidiChangeBatches.h"
#include "midi/MidiListenerList.h"
#include "midi/MidiManagerListeners.h"
#include "midi/TMidiAlias.h"
#include "midi/TMidiAliasChangeListener.h"

#include <atomic>
#include <map>
#include <utility>

namespace Tr {

class MidiManagerDev;

// The process-wide owner of the MIDI aliases, made by the MIDI manager as it
// initialises and deleted by the shutdown registry after it; never made again.
// It keeps one alias per present device, named like the device and pointing at it
// (device aliases), and keeps the aliases in the ini file's "MIDI.alias" section.
//
// Threads: the message thread changes aliases (the port box, the ini file) while
// the rescanning thread renews the device aliases. The alias list is guarded by
// TMidiAlias::StateLock, which is never held while the MIDI manager or a listener
// is called. Listeners are told on the thread that made the change; a batch
// (BeginUpdate ... EndUpdate) holds back the changes of its own thread only.
class TMidiAliasManager : public TMidiDeviceListListener, public AutoDelete {
public:
    // Makes the MIDI manager first, which makes the alias manager; throws after deletion.
    static TMidiAliasManager* instance();
    static bool IsInstanceAllocated();

    ~TMidiAliasManager() override;

    // Turning it on renews the device aliases and follows every device-list change.
    void setMaintainDeviceAliases(int on);
    int isMaintainingDeviceAliases() const;
    void OnMidiDeviceListChanged() override;

    // The first alias of that type and name (ignoring case). With create, a missing
    // one is added, and the alias is marked as used by the project.
    TMidiAlias* GetAliasByName(BString const& name, TAliasType type, int create);
    // Gives the alias of that name and type the new name and device name; true when
    // anything changed (names compared exactly) or a missing alias was added.
    bool ModifyAlias(BString const& name, TAliasType type, BString const& newName, BString const& newDeviceName,
                     bool addIfMissing);
    // Adds the alias, or points the one there at the device; its index.
    int AddAlias(BString const& name, BString const& deviceName, TAliasType type);

    int IndexOf(BString const& name, TAliasType type) const;
    int Exists(BString const& name, TAliasType type) const;
    int IndexOfByRef(TMidiAlias* alias) const;
    // Null for an index out of range.
    TMidiAlias* GetAlias(int index) const;
    // Removed aliases included.
    int GetCount() const;
    int GetCountOfValid() const;
    int GetCountOfType(TAliasType type) const;
    void FillAliasListByDevice(BString const& deviceName, TAliasType type, TMidiAliasList& list) const;
    void FillAliasListByType(TAliasType type, TMidiAliasList& list) const;

    // A removed alias keeps its place and address, with type AliasNone.
    bool RemoveAlias(int index);
    void RemoveAll();
    void ClearProjectUse();
    void DumpAliases();

    void BeginUpdate();
    void EndUpdate();
    // Tells the listeners, first registered first, unless a batch of this thread holds it back.
    void FireAliasChangeEvent();
    // A removal waits for a call of that listener running on another thread.
    void AddAliasChangeListener(TMidiAliasChangeListener* listener);
    void RemoveAliasChangeListener(TMidiAliasChangeListener* listener);

    // Section "MIDI.alias": entries Name<i> and Device<i> from 0 on. Saving leaves
    // out removed aliases and the device aliases of devices neither open nor pending.
    void loadFromIniFile(TIniFile& ini);
    void saveToIniFile(TIniFile& ini);

private:
    // The first alias of each type and name, the name ignoring case (upper-cased).
    using AliasIndex = std::map<std::pair<TAliasType, BString>, TMidiAlias*>;

    TMidiAliasManager();

    // Under StateLock.
    int indexOfLocked(BString const& name, TAliasType type) const;
    int appendLocked(BString const& name, BString const& deviceName, TAliasType type);
    AliasIndex indexLocked() const;
    static AliasIndex::key_type indexKey(BString const& name, TAliasType type);
    void addDeviceAliases();
    // Points the alias at the device unless it names it already (ignoring case);
    // whether it changed.
    bool pointAt(TMidiAlias* alias, BString const& deviceName);
    // slots: the slots of the alias's direction by name.
    static bool isSaved(TMidiAlias* alias, std::map<BString, MidiManagerDev*> const& slots);

    static std::atomic<TMidiAliasManager*> inst;
    static std::atomic<int> hadAlreadyBeenDestroyed;

    TMidiAliasList aliases;                  // guarded by StateLock; owned
    MidiChangeBatches batches;              // guarded by StateLock
    MidiListenerList<TMidiAliasChangeListener> listeners;
    std::atomic<int> maintainingDeviceAliases{0};
};

// A batch of the calling thread for the scope, ended also by an exception.
class TMidiAliasBatch {
public:
    explicit TMidiAliasBatch(TMidiAliasManager& manager) : manager(manager) { manager.BeginUpdate(); }
    TMidiAliasBatch(TMidiAliasBatch const&) = delete;
    TMidiAliasBatch& operator=(TMidiAliasBatch const&) = delete;
    ~TMidiAliasBatch() { manager.EndUpdate(); }

private:
    TMidiAliasManager& manager;
};

} // namespace Tr
