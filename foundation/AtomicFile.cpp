#include "foundation/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/limits.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Tr {

namespace {

std::atomic<unsigned int> tempCounter{0};

char const tempPrefix[] = ".dravik-";
char const tempSuffix[] = ".tmp";
char const accessAcl[] = "system.posix_acl_access";

// A symbolic link is replaced through its target, so the link itself survives.
std::string resolveLink(std::string const& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr)
        return path;
    return resolved;
}

// Why the existing file must not be replaced; empty when it may be. Root may
// write any file, but one that nobody may write was made read-only on purpose:
// it is refused as it is for everyone else.
std::string refusal(std::string const& target, struct stat const& old)
{
    if (!S_ISREG(old.st_mode))
        return "not a regular file";
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return std::strerror(errno);
    if ((old.st_mode & 0222) == 0)
        return std::strerror(EACCES);
    return {};
}

std::string folderOf(std::string const& target)
{
    std::string::size_type slash = target.rfind('/');
    return slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
}

bool isNumber(std::string const& text, std::size_t maxDigits)
{
    return !text.empty() && text.size() <= maxDigits && text.find_first_not_of("0123456789") == std::string::npos;
}

// The process that wrote a temporary file of ours (".dravik-PID-N.tmp"); 0 for
// any other name.
pid_t writerOf(std::string const& name)
{
    std::size_t const prefixLength = sizeof tempPrefix - 1;
    std::size_t const suffixLength = sizeof tempSuffix - 1;
    std::size_t dash = name.find('-', prefixLength);
    if (name.compare(0, prefixLength, tempPrefix) != 0 || dash == std::string::npos
        || name.size() < dash + 1 + suffixLength
        || name.compare(name.size() - suffixLength, suffixLength, tempSuffix) != 0)
        return 0;
    std::string pid = name.substr(prefixLength, dash - prefixLength);
    std::string serial = name.substr(dash + 1, name.size() - suffixLength - dash - 1);
    return isNumber(pid, 9) && isNumber(serial, 10) ? static_cast<pid_t>(std::stol(pid)) : 0;
}

// A save that was killed leaves its temporary file behind. The next save into
// the folder removes those whose writer no longer runs, so that none pile up;
// a living writer's file, ours included, stays.
void removeLeftovers(std::string const& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (dirent* entry = readdir(dir)) {
        pid_t writer = writerOf(entry->d_name);
        if (writer > 0 && writer != getpid() && kill(writer, 0) != 0 && errno == ESRCH)
            (void)unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

// A new, unique hidden file beside the target; -1 (errno set) when none can be
// made. Its name is short whatever the target's, so that every name the folder
// takes can be saved.
int createTempBeside(std::string const& target, std::string& tempPath)
{
    std::string folder = folderOf(target);
    if (folder.back() != '/')
        folder += '/';
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + tempPrefix + std::to_string(getpid()) + "-" + std::to_string(tempCounter.fetch_add(1))
                   + tempSuffix;
        int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, char const* data, std::size_t size)
{
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The file's access ACL as the system stores it (a version, then entries of a
// tag, rights and an id); empty when it has none.
std::string accessAclOf(std::string const& target)
{
    std::string acl(XATTR_SIZE_MAX, '\0');
    ssize_t size = getxattr(target.c_str(), accessAcl, acl.data(), acl.size());
    acl.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return acl;
}

// The mode to give the new file. Where the old one has an ACL, its mode's group
// bits are the ACL's mask: the owning group's own rights are those of its entry.
mode_t modeOf(struct stat const& old, std::string const& acl)
{
    unsigned char const groupEntry = 0x04;
    mode_t mode = old.st_mode & 07777;
    for (std::size_t at = 4; at + 8 <= acl.size(); at += 8)
        if (static_cast<unsigned char>(acl[at]) == groupEntry && acl[at + 1] == 0)
            mode = (mode & ~mode_t(070)) | (mode_t(acl[at + 2] & 7) << 3);
    return mode;
}

// The new file takes over the owner, group, permissions and access ACL of the
// one it replaces, as far as the system lets this user give them: root keeps
// another user's file that user's; others keep at least its group where they
// belong to it. The mode comes after the owner, as a change of owner clears the
// set-id bits; the ACL comes last, so that where it cannot be set, the group
// keeps its own rights and nobody gains any. An ACL that the new file inherited
// from the folder goes, unless the old file's takes its place.
void keepOwnerAndRights(int fd, std::string const& target, struct stat const& old)
{
    if (fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    std::string acl = accessAclOf(target);
    (void)fchmod(fd, modeOf(old, acl));
    if (acl.empty() || fsetxattr(fd, accessAcl, acl.data(), acl.size(), 0) != 0)
        (void)fremovexattr(fd, accessAcl);
}

// Makes the rename itself durable; a folder that cannot be synced changes nothing.
void syncFolderOf(std::string const& target)
{
    int fd = open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)fsync(fd);
        close(fd);
    }
}

// Writes the temporary file and renames it over the target (old: the file it
// replaces, null for none); 0, or the error number of the step that failed.
int replace(std::string const& target, struct stat const* old, void const* data, std::size_t size)
{
    removeLeftovers(folderOf(target));
    std::string tempPath;
    int fd = createTempBeside(target, tempPath);
    if (fd < 0)
        return errno;
    if (old != nullptr)
        keepOwnerAndRights(fd, target, *old);
    int problem = writeAll(fd, static_cast<char const*>(data), size) && fsync(fd) == 0 ? 0 : errno;
    if (close(fd) != 0 && problem == 0)
        problem = errno;
    if (problem == 0 && std::rename(tempPath.c_str(), target.c_str()) != 0)
        problem = errno;
    if (problem != 0) {
        unlink(tempPath.c_str());
        return problem;
    }
    syncFolderOf(target);
    return 0;
}

} // namespace

int writeFileAtomically(BString const& fileName, void const* data, std::size_t size, BString* error)
{
    std::string target = resolveLink(fileName.toUTF8());
    struct stat old;
    bool exists = stat(target.c_str(), &old) == 0;
    std::string reason = fileName.isEmpty() ? std::strerror(ENOENT) : exists ? refusal(target, old) : "";
    if (reason.empty()) {
        int problem = replace(target, exists ? &old : nullptr, data, size);
        if (problem != 0)
            reason = std::strerror(problem);
    }
    if (reason.empty())
        return 1;
    if (error != nullptr)
        *error = BString(reason.c_str());
    return 0;
}

} // namespace Tr
