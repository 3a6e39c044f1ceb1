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
    // A shared lock has any number of holders, but none while it is held exclusively.
    enum Kind { Exclusive, Shared };

    // The lock file of that name in the folder; nothing is taken yet.
    InstanceLock(BString const& folder, BString const& name);
    ~InstanceLock();
    InstanceLock(InstanceLock const&) = delete;
    InstanceLock& operator=(InstanceLock const&) = delete;

    // Acquired also when this object holds the lock already; Unavailable when
    // the folder is not private to the user or the file cannot be made. The
    // file is made through the descriptor that the folder was checked on, so
    // the folder cannot be swapped in between.
    Result acquire(Kind kind = Exclusive);
    void release();

    // The folder for the user's locks, as the runtime-folder convention has
    // it: the runtime folder when it is the user's own private folder, else
    // <runBase>/<uid> when it is one, else settingsLockFolder. Empty when none
    // can be used safely.
    static BString userLockFolder(BString const& runtime, BString const& runBase, BString const& settings);
    // The folder "locks" in the per-user settings folder, made private to the
    // user: in the home, where no other user can make it first, as anyone can
    // in /tmp. One of the user's that others may read but not change (restored
    // from a copy, say) is made private again. Empty when it cannot be used
    // safely (another user made it, or others may write it).
    static BString settingsLockFolder(BString const& settings);

private:
    BString folder;
    BString name;
    int fd = -1;
};

// The lock of that name for one editor per user: exclusive in the user's lock
// folder and, when that is not the settings folder's, shared there, where a
// start that found no runtime folder takes it exclusively. So a runtime folder
// that appears while such an editor runs (the toolkit's helpers make it) does
// not let a second editor of the same home in.
class UserInstanceLock
{
public:
    // With XDG_RUNTIME_DIR, /run/user and the settings folder of the home.
    explicit UserInstanceLock(BString const& name);
    UserInstanceLock(BString const& name, BString const& runtime, BString const& runBase, BString const& settings);

    InstanceLock::Result acquire();

private:
    BString folder;
    BString settingsFolder;
    InstanceLock own;
    InstanceLock settingsLock;
};

} // namespace Tr
