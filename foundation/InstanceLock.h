#pragma once

#include "foundation/BString.h"

namespace Tr {

// A lock that one process of a user holds at a time: a file in a folder private
// to the user, locked with flock. The system takes it back when the process
// ends, however it ends; programs that the holder starts do not inherit it.
class InstanceLock
{
public:
    enum Result { Acquired, HeldElsewhere, Unavailable };

    // The lock file of that name in the folder; nothing is taken yet.
    InstanceLock(BString const& folder, BString const& name);
    ~InstanceLock();
    InstanceLock(InstanceLock const&) = delete;
    InstanceLock& operator=(InstanceLock const&) = delete;

    // Acquired also when this object holds the lock already; Unavailable when
    // the folder is not private to the user or the file cannot be made. The
    // file is made through the descriptor that the folder was checked on, so
    // the folder cannot be swapped in between.
    Result acquire();
    void release();

    // The folder for the user's locks, as the runtime-folder convention has
    // it: XDG_RUNTIME_DIR when it names the user's own private folder, else
    // /run/user/<uid> when it is one, else the folder "locks" in the per-user
    // settings folder, made private to the user: in the home, where no other
    // user can make it first, as anyone can in /tmp. One of the user's that
    // others may read but not change (restored from a copy, say) is made
    // private again. Empty when none can be used safely (another user made it,
    // or others may write it).
    static BString userLockFolder();
    // The same with the runtime folder, the base of the users' runtime folders
    // and the settings folder given.
    static BString userLockFolder(BString const& runtime, BString const& runBase, BString const& settings);

private:
    BString folder;
    BString name;
    int fd = -1;
};

} // namespace Tr
