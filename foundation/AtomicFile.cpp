#include "foundation/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Tr {

namespace {

std::atomic<unsigned int> tempCounter{0};

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

// Why an existing file must not be replaced; empty when it may be, or when
// there is none.
std::string refusal(std::string const& target)
{
    struct stat info;
    if (stat(target.c_str(), &info) != 0)
        return {};
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return std::strerror(errno);
    return {};
}

// A new, unique hidden file beside the target; -1 (errno set) when none can be
// made. Its name is short whatever the target's, so that every name the folder
// takes can be saved.
int createTempBeside(std::string const& target, std::string& tempPath)
{
    std::string::size_type slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + ".dravik-" + std::to_string(getpid()) + "-" + std::to_string(tempCounter.fetch_add(1))
                   + ".tmp";
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

// The new file takes over the permissions of the one it replaces.
void keepMode(int fd, std::string const& target)
{
    struct stat info;
    if (stat(target.c_str(), &info) == 0)
        (void)fchmod(fd, info.st_mode & 07777);
}

// Makes the rename itself durable; a folder that cannot be synced changes nothing.
void syncFolderOf(std::string const& target)
{
    std::string::size_type slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)fsync(fd);
        close(fd);
    }
}

// Writes the temporary file and renames it over the target; 0, or the error
// number of the step that failed.
int replace(std::string const& target, void const* data, std::size_t size)
{
    std::string tempPath;
    int fd = createTempBeside(target, tempPath);
    if (fd < 0)
        return errno;
    keepMode(fd, target);
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
    std::string reason = fileName.isEmpty() ? std::strerror(ENOENT) : refusal(target);
    if (reason.empty()) {
        int problem = replace(target, data, size);
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
