#include "midi/TMidiRoute.h"

#include "midi/TMidiAliasManager.h"
#include "midi/TMidiRouter.h"

namespace Tr {

BString const SECTION_ROUTER = "MIDI.routes";
BString const IDENT_INNAME = "In";
BString const IDENT_OUTNAME = "Out";

namespace {

BString nameOf(TMidiAlias* alias)
{
    return alias ? alias->GetName() : BString();
}

} // namespace

BLock& TMidiRoute::StateLock()
{
    static BLock* lock = new BLock;
    return *lock;
}

TMidiRoute::TMidiRoute(int number, TMidiAlias* input, TMidiAlias* output)
    : input(input), output(output), number(number)
{
}

TMidiRoute::TMidiRoute(int number, BString const& inputName, BString const& outputName) : number(number)
{
    InitByName(inputName, outputName);
}

TMidiRoute::TMidiRoute(int number, TIniFile& ini, int index) : number(number)
{
    LoadFromIni(ini, index);
}

TMidiRoute::~TMidiRoute() = default;

// The lookups may make aliases, which tells the alias listeners: no lock is held then.
void TMidiRoute::InitByName(BString const& inputName, BString const& outputName)
{
    TMidiAlias* in = nullptr;
    TMidiAlias* out = nullptr;
    if (IsLegalMidiAliasName(inputName) && IsLegalMidiAliasName(outputName)) {
        TMidiAliasManager* aliases = TMidiAliasManager::instance();
        in = aliases->GetAliasByName(inputName, AliasMidiIn, 1);
        out = aliases->GetAliasByName(outputName, AliasMidiOut, 1);
    }
    BLockHolder hold(StateLock());
    input = in;
    output = out;
}

int TMidiRoute::IsValid() const
{
    BLockHolder hold(StateLock());
    return isValidLocked();
}

int TMidiRoute::GetInputAliasUserID() const
{
    BLockHolder hold(StateLock());
    return isValidLocked() ? input->GetMidiManagerDevIndex() : -1;
}

int TMidiRoute::GetOutputAliasUserID() const
{
    BLockHolder hold(StateLock());
    return isValidLocked() ? output->GetMidiManagerDevIndex() : -1;
}

BString TMidiRoute::GetInputName() const
{
    BLockHolder hold(StateLock());
    return nameOf(input);
}

BString TMidiRoute::GetOutputName() const
{
    BLockHolder hold(StateLock());
    return nameOf(output);
}

int TMidiRoute::GetNumber() const
{
    return number;
}

void TMidiRoute::LoadFromIni(TIniFile& ini, int index)
{
    InitByName(ini.ReadString(SECTION_ROUTER, IniListKey(IDENT_INNAME, index), BString()),
               ini.ReadString(SECTION_ROUTER, IniListKey(IDENT_OUTNAME, index), BString()));
}

void TMidiRoute::SaveToIni(TIniFile& ini, int index) const
{
    ini.WriteString(SECTION_ROUTER, IniListKey(IDENT_INNAME, index), GetInputName());
    ini.WriteString(SECTION_ROUTER, IniListKey(IDENT_OUTNAME, index), GetOutputName());
}

TMidiRoutes::~TMidiRoutes()
{
    ClearImpl();
}

int TMidiRoutes::AddRouteImpl(TMidiRoute* route)
{
    int index = -1;
    TMidiRouter* told = nullptr;
    {
        BLockHolder hold(TMidiRoute::StateLock());
        index = appendLocked(route);
        told = router;
    }
    if (told)
        told->FireRouterChangeEvent();
    return index;
}

void TMidiRoutes::ClearImpl()
{
    BLockHolder hold(TMidiRoute::StateLock());
    if (ownsRoutes)
        routes.clearAndDelete();
    routes.clear();
}

void TMidiRoutes::SetOwnsRoutes(int on)
{
    BLockHolder hold(TMidiRoute::StateLock());
    ownsRoutes = on ? 1 : 0;
}

int TMidiRoutes::GetCount() const
{
    BLockHolder hold(TMidiRoute::StateLock());
    return routes.count;
}

int TMidiRoutes::GetCountOfValid() const
{
    BLockHolder hold(TMidiRoute::StateLock());
    int valid = 0;
    for (int i = 0; i < routes.count; ++i)
        valid += routes.items[i]->isValidLocked() ? 1 : 0;
    return valid;
}

TMidiRoute* TMidiRoutes::GetRoute(int index) const
{
    BLockHolder hold(TMidiRoute::StateLock());
    return index >= 0 && index < routes.count ? routes.items[index] : nullptr;
}

TMidiRoute* TMidiRoutes::GetRouteFast(int index) const
{
    BLockHolder hold(TMidiRoute::StateLock());
    return routes.items[index];
}

int TMidiRoutes::IndexOf(TMidiRoute* route) const
{
    BLockHolder hold(TMidiRoute::StateLock());
    return routes.indexOf(route);
}

int TMidiRoutes::Exists(TMidiRoute* route) const
{
    return IndexOf(route) >= 0;
}

int TMidiRoutes::IndexOf(TMidiAlias* input, TMidiAlias* output) const
{
    if (!input || !output)
        return -1;
    BLockHolder hold(TMidiRoute::StateLock());
    for (int i = 0; i < routes.count; ++i)
        if (routes.items[i]->input == input && routes.items[i]->output == output)
            return i;
    return -1;
}

int TMidiRoutes::Exists(TMidiAlias* input, TMidiAlias* output) const
{
    return IndexOf(input, output) >= 0;
}

int TMidiRoutes::ContainsInUserID(int id) const
{
    if (id < 0)
        return 0;
    BLockHolder hold(TMidiRoute::StateLock());
    for (int i = 0; i < routes.count; ++i)
        if (routes.items[i]->GetInputAliasUserID() == id)
            return 1;
    return 0;
}

template <class Take>
void TMidiRoutes::select(TMidiRouteList& result, Take const& take) const
{
    BLockHolder hold(TMidiRoute::StateLock());
    result.ClearImpl();
    for (int i = 0; i < routes.count; ++i)
        if (take(routes.items[i]))
            result.appendLocked(routes.items[i]);
}

void TMidiRoutes::GetRoutesByInputAlias(TMidiAlias* alias, TMidiRouteList& result) const
{
    select(result, [&](TMidiRoute* route) { return route->isValidLocked() && route->input == alias; });
}

void TMidiRoutes::GetRoutesByInputName(BString const& name, TMidiRouteList& result) const
{
    select(result, [&](TMidiRoute* route) {
        return route->isValidLocked() && route->input->GetName().equalsIgnoreCase(name);
    });
}

void TMidiRoutes::GetRoutesByInUserID(int id, TMidiRouteList& result) const
{
    select(result, [&](TMidiRoute* route) { return id >= 0 && route->GetInputAliasUserID() == id; });
}

void TMidiRoutes::GetOutAliasesByInUserID(int id, TMidiAliasList& list) const
{
    list.clear();
    if (id < 0)
        return;
    BLockHolder hold(TMidiRoute::StateLock());
    for (int i = 0; i < routes.count; ++i)
        if (routes.items[i]->GetInputAliasUserID() == id)
            list.Add(routes.items[i]->output);
}

int TMidiRoutes::appendLocked(TMidiRoute* route)
{
    routes.add(route);
    return routes.count - 1;
}

void TMidiRoutes::removeAt(int index)
{
    BLockHolder hold(TMidiRoute::StateLock());
    if (ownsRoutes)
        routes.removeAndDelete(index);
    else
        routes.remove(index);
}

void TMidiRouteList::Clear()
{
    ClearImpl();
}

void TMidiRouteList::Delete(int index)
{
    removeAt(index);
}

} // namespace Tr
