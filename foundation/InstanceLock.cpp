#include "foundation/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Tr {

namespace {

// A folder that only this user can change: no link, owned by the user, not
// open to anybody else.
bool isPrivateFolder(BString const& folder)
{
    struct stat info;
    return lstat(folder.toUTF8(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid()
           && (info.st_mode & 077) == 0;
}

} // namespace

InstanceLock::InstanceLock(BString const& folder, BString const& name)
    : path(folder.isEmpty() ? BString() : folder + "/" + name)
{
}

InstanceLock::~InstanceLock()
{
    release();
}

InstanceLock::Result InstanceLock::acquire()
{
    if (fd >= 0)
        return Acquired;
    if (path.isEmpty())
        return Unavailable;
    fd = open(path.toUTF8(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return Acquired;
    bool held = errno == EWOULDBLOCK;
    release();
    return held ? HeldElsewhere : Unavailable;
}

void InstanceLock::release()
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

BString InstanceLock::userLockFolder(BString const& runBase, BString const& tmpBase)
{
    BString user = BString::fromInt(static_cast<unsigned int>(geteuid()));
    BString runtime = runBase + "/" + user;
    if (isPrivateFolder(runtime))
        return runtime;
    BString fallback = tmpBase + "/dravik-" + user;
    mkdir(fallback.toUTF8(), 0700);
    return isPrivateFolder(fallback) ? fallback : BString();
}

} // namespace Tr
