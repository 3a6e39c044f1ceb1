#pragma once

#include "foundation/BLock.h"
#include "foundation/Exception.h"
#include "midi/MidiManager.h"

#include <atomic>

namespace Tr {

// The single instance of T that the MIDI manager makes as it initialises (the alias
// manager, the router). The manager is made first, so the creation locks are always
// taken in one order; after deletion the instance is never made again, and asking
// for it throws the text made again. make constructs T, which sets inst.
template <class T, class Make>
T* midiManagerMadeInstance(std::atomic<T*>& inst, std::atomic<int> const& destroyed, char const* madeAgain,
                           Make const& make)
{
    if (T* made = inst)
        return made;
    if (destroyed)
        throw Exception(madeAgain);
    MidiManager::instance();
    static BLock* creation = new BLock;
    BLockHolder hold(*creation);
    if (T* made = inst)
        return made;
    if (destroyed)
        throw Exception(madeAgain);
    return make();
}

} // namespace Tr
