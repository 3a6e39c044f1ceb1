#include "foundation/InstanceLock.h"

#include "foundation/FileUtils.h"
#include "foundation/Folders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace Tr {

namespace {

// A folder that only this user can change: an absolute path, no link, owned by
// the user, not open to anybody else.
bool isPrivateFolder(BString const& folder)
{
    struct stat info;
    return folder.startsWith('/') && lstat(folder.toUTF8(), &info) == 0 && S_ISDIR(info.st_mode)
           && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
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

BString InstanceLock::userLockFolder()
{
    char const* runtime = std::getenv("XDG_RUNTIME_DIR");
    return userLockFolder(runtime != nullptr ? BString(runtime) : BString(), "/run/user", getPexaSettingsBaseDir());
}

BString InstanceLock::userLockFolder(BString const& runtime, BString const& runBase, BString const& settings)
{
    if (isPrivateFolder(runtime))
        return runtime;
    BString userRuntime = runBase + "/" + BString::fromInt(static_cast<unsigned int>(geteuid()));
    if (isPrivateFolder(userRuntime))
        return userRuntime;
    BString own = settings + "/locks";
    ForceDirectories(settings);
    mkdir(own.toUTF8(), 0700);
    return isPrivateFolder(own) ? own : BString();
}

} // namespace Tr
