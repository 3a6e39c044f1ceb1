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
    // there is no private folder or the file cannot be made.
    Result acquire();
    void release();

    // The folder for the user's locks, keyed on the user id alone, so that
    // every start by the same user finds the same one, whatever HOME says:
    // the user's runtime folder runBase/<uid> when it is the user's own private
    // folder, else tmpBase/dravik-<uid>, made private to the user. Empty when
    // neither can be used safely (another user made it, or others may write it).
    static BString userLockFolder(BString const& runBase = "/run/user", BString const& tmpBase = "/tmp");

private:
    BString path;
    int fd = -1;
};

} // namespace Tr
