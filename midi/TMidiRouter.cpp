#include "midi/TMidiRouter.h"

#include "midi/MidiManagerMadeInstance.h"
#include "midi/TMidiAliasManager.h"

#include <vector>

namespace Tr {

std::atomic<TMidiRouter*> TMidiRouter::inst{nullptr};
std::atomic<int> TMidiRouter::hadAlreadyBeenDestroyed{0};

TMidiRouter* TMidiRouter::instance()
{
    return midiManagerMadeInstance(inst, hadAlreadyBeenDestroyed, "Cannot re-instanciate TMidiRouter!",
                                   [] { return new TMidiRouter; });
}

bool TMidiRouter::IsInstanceAllocated()
{
    return inst != nullptr;
}

TMidiRouter::TMidiRouter()
{
    routes.SetOwnsRoutes(1);
    routes.router = this;
    inst = this;
    TMidiAliasManager::instance()->AddAliasChangeListener(this);
}

TMidiRouter::~TMidiRouter()
{
    if (TMidiAliasManager::IsInstanceAllocated())
        TMidiAliasManager::instance()->RemoveAliasChangeListener(this);
    routes.ClearImpl();
    listeners.clear();
    inst = nullptr;
    hadAlreadyBeenDestroyed = 1;
}

void TMidiRouter::OnMidiAliasListChanged()
{
    bool changed = false;
    {
        BLockHolder hold(TMidiRoute::StateLock());
        changed = invalidate([](TMidiRoute* route) {
            return route->input->GetType() == AliasNone || route->output->GetType() == AliasNone;
        });
    }
    if (changed)
        FireRouterChangeEvent();
}

// The aliases are checked under the route lock: an alias removed after the check
// tells the router afterwards, which then makes the new route invalid.
int TMidiRouter::AddRoute(TMidiAlias* input, TMidiAlias* output)
{
    int index = -1;
    {
        BLockHolder hold(TMidiRoute::StateLock());
        if (!canRoute(input, output))
            return -1;
        index = routes.IndexOf(input, output);
        if (index >= 0)
            return index;
        index = routes.appendLocked(new TMidiRoute(routes.GetCount(), input, output));
    }
    FireRouterChangeEvent();
    return index;
}

int TMidiRouter::AddRouteImpl(BString const& inputName, BString const& outputName)
{
    return routes.AddRouteImpl(new TMidiRoute(routes.GetCount(), inputName, outputName));
}

void TMidiRouter::ModifyRoute(TMidiRoute* route, TMidiAlias* input, TMidiAlias* output)
{
    BString inputName;
    BString outputName;
    {
        BLockHolder hold(TMidiRoute::StateLock());
        if (!canRoute(input, output))
            return;
        if (route) {
            if (route->input == input && route->output == output)
                return;
            route->input = input;
            route->output = output;
        } else {
            inputName = input->GetName();
            outputName = output->GetName();
        }
    }
    if (route)
        FireRouterChangeEvent();
    else
        AddRouteImpl(inputName, outputName);
}

int TMidiRouter::IndexOf(TMidiAlias* input, TMidiAlias* output) const
{
    return routes.IndexOf(input, output);
}

int TMidiRouter::Exists(TMidiAlias* input, TMidiAlias* output) const
{
    return routes.Exists(input, output);
}

int TMidiRouter::GetValidCount() const
{
    return routes.GetCountOfValid();
}

TMidiRoutes const& TMidiRouter::GetRoutes() const
{
    return routes;
}

bool TMidiRouter::RemoveRoute(int index)
{
    {
        BLockHolder hold(TMidiRoute::StateLock());
        TMidiRoute* route = routes.GetRoute(index);
        if (!route || !route->isValidLocked())
            return false;
        route->input = nullptr;
    }
    FireRouterChangeEvent();
    return true;
}

// A route keeps its index for the router's life.
bool TMidiRouter::RemoveRoute(TMidiAlias* input, TMidiAlias* output)
{
    return RemoveRoute(IndexOf(input, output));
}

void TMidiRouter::RemoveAll()
{
    bool changed = false;
    {
        BLockHolder hold(TMidiRoute::StateLock());
        changed = invalidate([](TMidiRoute*) { return true; });
    }
    if (changed)
        FireRouterChangeEvent();
}

int TMidiRouter::IsAliasUsed(TMidiAlias* alias) const
{
    if (!alias)
        return 0;
    BLockHolder hold(TMidiRoute::StateLock());
    for (int i = 0; i < routes.routes.count; ++i)
        if (routes.routes.items[i]->input == alias || routes.routes.items[i]->output == alias)
            return 1;
    return 0;
}

void TMidiRouter::AddRouteChangeListener(TMidiRouteChangeListener* listener)
{
    listeners.add(listener);
}

void TMidiRouter::RemoveRouteChangeListener(TMidiRouteChangeListener* listener)
{
    listeners.remove(listener);
}

void TMidiRouter::BeginUpdate()
{
    BLockHolder hold(TMidiRoute::StateLock());
    batches.begin();
}

void TMidiRouter::EndUpdate()
{
    bool held = false;
    {
        BLockHolder hold(TMidiRoute::StateLock());
        held = batches.end();
    }
    if (held)
        FireRouterChangeEvent();
}

void TMidiRouter::FireRouterChangeEvent()
{
    {
        BLockHolder hold(TMidiRoute::StateLock());
        if (batches.hold())
            return;
    }
    listeners.forEach(false, [](TMidiRouteChangeListener* listener) { listener->OnMidiRouteListChanged(); });
}

void TMidiRouter::LoadFromIni(TIniFile& ini)
{
    RemoveAll();
    for (int i = 0; ini.ValueExists(SECTION_ROUTER, IniListKey(IDENT_INNAME, i)); ++i)
        routes.AddRouteImpl(new TMidiRoute(routes.GetCount(), ini, i));
    FireRouterChangeEvent();
}

// The old entries go first, in one pass, so that writing a route only appends it.
void TMidiRouter::SaveToIni(TIniFile& ini)
{
    BLockHolder hold(TMidiRoute::StateLock());
    std::vector<TMidiRoute*> valid;
    for (int i = 0; i < routes.routes.count; ++i)
        if (routes.routes.items[i]->isValidLocked())
            valid.push_back(routes.routes.items[i]);
    DeleteIniList(ini, SECTION_ROUTER, {IDENT_INNAME, IDENT_OUTNAME}, int(valid.size()));
    for (size_t n = 0; n < valid.size(); ++n)
        valid[n]->SaveToIni(ini, int(n));
}

// A removed alias cannot make a route: it keeps the slot index it last had.
bool TMidiRouter::canRoute(TMidiAlias* input, TMidiAlias* output)
{
    if (!input || !output)
        return false;
    TAliasType in = input->GetType();
    TAliasType out = output->GetType();
    return in != AliasNone && in != AliasMidiOut && out != AliasNone && out != AliasMidiIn;
}

template <class Lose>
bool TMidiRouter::invalidate(Lose const& lose)
{
    bool changed = false;
    for (int i = 0; i < routes.routes.count; ++i) {
        TMidiRoute* route = routes.routes.items[i];
        if (route->isValidLocked() && lose(route)) {
            route->input = nullptr;
            changed = true;
        }
    }
    return changed;
}

} // namespace Tr
