#pragma once

#include "foundation/BList.h"
#include "foundation/BLock.h"
#include "foundation/BString.h"
#include "foundation/TIniFile.h"
#include "midi/TMidiAlias.h"

namespace Tr {

class TMidiRouteList;
class TMidiRouter;

extern BString const SECTION_ROUTER;
extern BString const IDENT_INNAME;
extern BString const IDENT_OUTNAME;

// Passes the messages received on the port of an input alias on to the port of an
// output alias (MIDI thru). The aliases belong to the alias manager. A route
// without an input alias was removed, or its names were not legal alias names.
//
// Routes are shared by the thread that changes them and the threads that rebuild
// the MIDI IN slots' thru lists: the fields of every route and every route
// collection are guarded by StateLock. Under it only alias fields are read (their
// own lock comes after it); nothing else is called, no listener above all.
class TMidiRoute {
public:
    static BLock& StateLock();

    TMidiRoute(int number, TMidiAlias* input, TMidiAlias* output);
    TMidiRoute(int number, BString const& inputName, BString const& outputName);
    // From entry index of the ini file's "MIDI.routes" section.
    TMidiRoute(int number, TIniFile& ini, int index);
    TMidiRoute(TMidiRoute const&) = delete;
    TMidiRoute& operator=(TMidiRoute const&) = delete;
    virtual ~TMidiRoute();

    // The MIDI IN and MIDI OUT aliases of these names, made where missing; none
    // when either name is not a legal alias name.
    void InitByName(BString const& inputName, BString const& outputName);
    // Both aliases are set.
    int IsValid() const;
    // The slot index that the MIDI manager gave the alias; -1 for an invalid route.
    int GetInputAliasUserID() const;
    int GetOutputAliasUserID() const;
    // The alias's name; empty without one.
    BString GetInputName() const;
    BString GetOutputName() const;
    int GetNumber() const;

    // Keys "In<index>" and "Out<index>" of section "MIDI.routes".
    void LoadFromIni(TIniFile& ini, int index);
    void SaveToIni(TIniFile& ini, int index) const;

private:
    friend class TMidiRoutes;
    friend class TMidiRouter;

    // Under StateLock.
    bool isValidLocked() const { return input && output; }

    // Guarded by StateLock.
    TMidiAlias* input = nullptr;
    TMidiAlias* output = nullptr;
    int number;
};

// A collection of routes, owning them or not. The router's own collection tells the
// router's listeners of every route added to it.
class TMidiRoutes {
public:
    TMidiRoutes() = default;
    TMidiRoutes(TMidiRoutes const&) = delete;
    TMidiRoutes& operator=(TMidiRoutes const&) = delete;
    virtual ~TMidiRoutes();

    // Appends the route; its index.
    int AddRouteImpl(TMidiRoute* route);
    // Empties the collection, deleting the routes when it owns them.
    void ClearImpl();
    void SetOwnsRoutes(int on);

    // Invalid routes included.
    int GetCount() const;
    int GetCountOfValid() const;
    // Null for an index out of range.
    TMidiRoute* GetRoute(int index) const;
    // The index must be valid.
    TMidiRoute* GetRouteFast(int index) const;
    int IndexOf(TMidiRoute* route) const;
    int Exists(TMidiRoute* route) const;
    // The route of exactly these two aliases; -1 unless both are given.
    int IndexOf(TMidiAlias* input, TMidiAlias* output) const;
    int Exists(TMidiAlias* input, TMidiAlias* output) const;
    // False for a negative id.
    int ContainsInUserID(int id) const;

    // Each fills result anew: the valid routes from that input alias, from the
    // input alias of that name (ignoring case), from the slot of that id.
    void GetRoutesByInputAlias(TMidiAlias* alias, TMidiRouteList& result) const;
    void GetRoutesByInputName(BString const& name, TMidiRouteList& result) const;
    void GetRoutesByInUserID(int id, TMidiRouteList& result) const;
    // The output aliases of the routes from the slot of that id, each once, in
    // route order: the thru list of that MIDI IN slot. Empty for a negative id.
    void GetOutAliasesByInUserID(int id, TMidiAliasList& list) const;

protected:
    // Takes the entry at a valid index out, deleting the route when owning it.
    void removeAt(int index);

private:
    friend class TMidiRouter;

    // Under StateLock.
    int appendLocked(TMidiRoute* route);

    // Fills result with the routes for which take holds.
    template <class Take>
    void select(TMidiRouteList& result, Take const& take) const;

    // Guarded by TMidiRoute::StateLock.
    BList<TMidiRoute*> routes;
    int ownsRoutes = 0;
    TMidiRouter* router = nullptr;
};

// The result of a query: routes that it does not own, and no router.
class TMidiRouteList : public TMidiRoutes {
public:
    void Clear();
    // Takes the entry at a valid index out of the list.
    void Delete(int index);
};

} // namespace Tr
