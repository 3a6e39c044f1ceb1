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

// The folder itself, not a link to one; -1 for a relative path.
int openFolder(BString const& folder)
{
    return folder.startsWith('/') ? open(folder.toUTF8(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1;
}

// The folder, when only this user can change it: owned by the user and not
// open to anybody else; -1 otherwise.
int openPrivateFolder(BString const& folder)
{
    int fd = openFolder(folder);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || info.st_uid != geteuid() || (info.st_mode & 077) != 0)) {
        close(fd);
        fd = -1;
    }
    return fd;
}

bool isPrivateFolder(BString const& folder)
{
    int fd = openPrivateFolder(folder);
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

// The user's own folder that others may read but not change (restored from a
// copy, say) is made private again; one that others could write may hold files
// of theirs, so it stays as it is.
void makePrivateAgain(BString const& folder)
{
    int fd = openFolder(folder);
    struct stat info;
    if (fd >= 0 && fstat(fd, &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 077) != 0
        && (info.st_mode & 022) == 0)
        (void)fchmod(fd, 0700);
    if (fd >= 0)
        close(fd);
}

BString runtimeFolder()
{
    char const* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr ? BString(runtime) : BString();
}

} // namespace

InstanceLock::InstanceLock(BString const& folder, BString const& name)
    : folder(folder), name(name)
{
}

InstanceLock::~InstanceLock()
{
    release();
}

InstanceLock::Result InstanceLock::acquire(Kind kind)
{
    if (fd >= 0)
        return Acquired;
    int dir = openPrivateFolder(folder);
    if (dir < 0)
        return Unavailable;
    fd = openat(dir, name.toUTF8(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    close(dir);
    if (fd < 0)
        return Unavailable;
    if (flock(fd, (kind == Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) == 0)
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

BString InstanceLock::userLockFolder(BString const& runtime, BString const& runBase, BString const& settings)
{
    if (isPrivateFolder(runtime))
        return runtime;
    BString userRuntime = runBase + "/" + BString::fromInt(static_cast<unsigned int>(geteuid()));
    if (isPrivateFolder(userRuntime))
        return userRuntime;
    return settingsLockFolder(settings);
}

BString InstanceLock::settingsLockFolder(BString const& settings)
{
    BString own = settings + "/locks";
    ForceDirectories(settings);
    mkdir(own.toUTF8(), 0700);
    makePrivateAgain(own);
    return isPrivateFolder(own) ? own : BString();
}

UserInstanceLock::UserInstanceLock(BString const& name)
    : UserInstanceLock(name, runtimeFolder(), "/run/user", getPexaSettingsBaseDir())
{
}

UserInstanceLock::UserInstanceLock(BString const& name, BString const& runtime, BString const& runBase,
                                   BString const& settings)
    : folder(InstanceLock::userLockFolder(runtime, runBase, settings)),
      settingsFolder(InstanceLock::settingsLockFolder(settings)), own(folder, name), settingsLock(settingsFolder, name)
{
}

InstanceLock::Result UserInstanceLock::acquire()
{
    InstanceLock::Result result = own.acquire();
    if (result != InstanceLock::Acquired || folder == settingsFolder
        || settingsLock.acquire(InstanceLock::Shared) != InstanceLock::HeldElsewhere)
        return result;
    own.release();
    return InstanceLock::HeldElsewhere;
}

} // namespace Tr
