#pragma once

#include "foundation/PexaSystem.h"
#include "foundation/TIniFile.h"
#include "midi/MidiChangeBatches.h"
#include "midi/MidiListenerList.h"
#include "midi/TMidiAliasChangeListener.h"
#include "midi/TMidiRoute.h"
#include "midi/TMidiRouteChangeListener.h"

#include <atomic>

namespace Tr {

// The process-wide owner of the MIDI routes, made by the MIDI manager as it
// initialises (after the alias manager) and deleted by the shutdown registry after
// both; never made again. A route stays at its index for the router's life: removing
// it, or removing one of its aliases, only makes it invalid. The routes are kept in
// the ini file's "MIDI.routes" section.
//
// Threads: routes change on the thread that asks for it, and become invalid on the
// thread that removes an alias (the rescanning one among them). Routes are guarded
// by TMidiRoute::StateLock, which is never held while listeners are told; they are
// told on the thread that made the change, and a batch (BeginUpdate ... EndUpdate)
// holds back the changes of its own thread only.
class TMidiRouter : public TMidiAliasChangeListener, public AutoDelete {
public:
    // Makes the MIDI manager first, which makes the router; throws after deletion.
    static TMidiRouter* instance();
    static bool IsInstanceAllocated();

    ~TMidiRouter() override;

    // Routes whose input or output alias was removed become invalid.
    void OnMidiAliasListChanged() override;

    // A route from a MIDI IN (or serial) alias to a MIDI OUT (or serial) alias, both
    // in use; its index, the index of the route already there, or -1 for aliases
    // that cannot be routed.
    int AddRoute(TMidiAlias* input, TMidiAlias* output);
    // A route between the aliases of these names (made where missing); its index.
    int AddRouteImpl(BString const& inputName, BString const& outputName);
    // The route takes both aliases; without a route one is added between their
    // names. Aliases that AddRoute refuses change nothing.
    void ModifyRoute(TMidiRoute* route, TMidiAlias* input, TMidiAlias* output);

    int IndexOf(TMidiAlias* input, TMidiAlias* output) const;
    int Exists(TMidiAlias* input, TMidiAlias* output) const;
    int GetValidCount() const;
    // Every route, invalid ones included; the MIDI IN slots build their thru lists
    // from it.
    TMidiRoutes const& GetRoutes() const;
    // The route becomes invalid; false when it was out of range or invalid already.
    bool RemoveRoute(int index);
    bool RemoveRoute(TMidiAlias* input, TMidiAlias* output);
    void RemoveAll();
    // A route, valid or not, has the alias at either end.
    int IsAliasUsed(TMidiAlias* alias) const;

    // A removal waits for a call of that listener running on another thread.
    void AddRouteChangeListener(TMidiRouteChangeListener* listener);
    void RemoveRouteChangeListener(TMidiRouteChangeListener* listener);
    void BeginUpdate();
    void EndUpdate();
    // Tells the listeners, first registered first, unless a batch of this thread holds it back.
    void FireRouterChangeEvent();

    // Section "MIDI.routes": entries In<i> and Out<i> from 0 on. Loading makes the
    // routes there were invalid first; saving writes the valid routes only.
    void LoadFromIni(TIniFile& ini);
    void SaveToIni(TIniFile& ini);

private:
    TMidiRouter();

    // Under TMidiRoute::StateLock: the aliases can make a route.
    static bool canRoute(TMidiAlias* input, TMidiAlias* output);
    // Under TMidiRoute::StateLock: the valid routes for which lose holds lose their
    // input alias; whether any did.
    template <class Lose>
    bool invalidate(Lose const& lose);

    static std::atomic<TMidiRouter*> inst;
    static std::atomic<int> hadAlreadyBeenDestroyed;

    TMidiRoutes routes; // owned; guarded by TMidiRoute::StateLock
    MidiChangeBatches batches; // guarded by TMidiRoute::StateLock
    MidiListenerList<TMidiRouteChangeListener> listeners;
};

} // namespace Tr
