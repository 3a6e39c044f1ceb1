#include "platform/cocoa/NSFileManager.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

bool fail(std::string* error, char const* what, std::string const& path, int code)
{
    if (error != nullptr)
        *error = std::string(what) + " '" + path + "': " + std::strerror(code);
    return false;
}

bool failWithErrno(std::string* error, char const* what, std::string const& path)
{
    return fail(error, what, path, errno);
}

// The names in a folder, without "." and "..".
bool listFolder(std::string const& path, std::vector<std::string>& names, std::string* error)
{
    DIR* folder = opendir(path.c_str());
    if (folder == nullptr)
        return failWithErrno(error, "cannot read the folder", path);
    while (dirent* entry = readdir(folder))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    closedir(folder);
    return true;
}

bool keepTimes(std::string const& path, struct stat const& source, std::string* error)
{
    timespec const times[2] = { source.st_atim, source.st_mtim };
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        return failWithErrno(error, "cannot set the times of", path);
    return true;
}

bool writeAll(int fd, char const* data, ssize_t size)
{
    while (size > 0) {
        ssize_t written = write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool copyContents(int in, int out)
{
    char buffer[65536];
    for (;;) {
        ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        if (!writeAll(out, buffer, got))
            return false;
    }
}

bool copyFile(std::string const& source, std::string const& destination, struct stat const& info, std::string* error)
{
    int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return failWithErrno(error, "cannot open", source);
    int out = open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        int code = errno;
        close(in);
        return fail(error, "cannot create", destination, code);
    }
    bool copied = copyContents(in, out) && fchmod(out, info.st_mode & 07777) == 0;
    int code = errno;
    close(in);
    if (close(out) != 0 && copied) {
        copied = false;
        code = errno;
    }
    if (!copied)
        return fail(error, "cannot copy to", destination, code);
    return keepTimes(destination, info, error);
}

bool copyLink(std::string const& source, std::string const& destination, struct stat const& info, std::string* error)
{
    std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096) + 1);
    ssize_t length = readlink(source.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size())
        return fail(error, "cannot read the link", source, length < 0 ? errno : ENAMETOOLONG);
    if (symlink(std::string(target.data(), static_cast<size_t>(length)).c_str(), destination.c_str()) != 0)
        return failWithErrno(error, "cannot create the link", destination);
    return keepTimes(destination, info, error);
}

bool copyItem(std::string const& source, std::string const& destination, std::string* error);

// The folder's own mode and times are set last: writing its entries changes them.
bool copyFolder(std::string const& source, std::string const& destination, struct stat const& info,
                std::string* error)
{
    std::vector<std::string> names;
    if (!listFolder(source, names, error))
        return false;
    if (mkdir(destination.c_str(), 0700) != 0)
        return failWithErrno(error, "cannot create the folder", destination);
    for (std::string const& name : names)
        if (!copyItem(source + "/" + name, destination + "/" + name, error))
            return false;
    if (chmod(destination.c_str(), info.st_mode & 07777) != 0)
        return failWithErrno(error, "cannot set the mode of", destination);
    return keepTimes(destination, info, error);
}

bool copyItem(std::string const& source, std::string const& destination, std::string* error)
{
    struct stat info;
    if (lstat(source.c_str(), &info) != 0)
        return failWithErrno(error, "cannot read", source);
    if (S_ISDIR(info.st_mode))
        return copyFolder(source, destination, info, error);
    if (S_ISLNK(info.st_mode))
        return copyLink(source, destination, info, error);
    if (S_ISREG(info.st_mode))
        return copyFile(source, destination, info, error);
    return fail(error, "cannot copy a special file", source, ENOTSUP);
}

// A folder that is not writable or searchable for its owner is made so first,
// so that a copy of a read-only tree can be removed again.
bool removeItem(std::string const& path, std::string* error)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return failWithErrno(error, "cannot remove", path);
    if (S_ISDIR(info.st_mode)) {
        chmod(path.c_str(), (info.st_mode & 07777) | S_IRWXU);
        std::vector<std::string> names;
        if (!listFolder(path, names, error))
            return false;
        for (std::string const& name : names)
            if (!removeItem(path + "/" + name, error))
                return false;
        if (rmdir(path.c_str()) != 0)
            return failWithErrno(error, "cannot remove the folder", path);
        return true;
    }
    if (unlink(path.c_str()) != 0)
        return failWithErrno(error, "cannot remove", path);
    return true;
}

bool isItem(std::string const& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool isFolder(std::string const& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

NSFileManager& NSFileManager::defaultManager()
{
    static NSFileManager manager;
    return manager;
}

bool NSFileManager::fileExistsAtPath(std::string const& path) const
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool NSFileManager::removeItemAtPath(std::string const& path, std::string* error) const
{
    return removeItem(path, error);
}

bool NSFileManager::copyItemAtPath(std::string const& source, std::string const& destination,
                                   std::string* error) const
{
    if (isItem(destination))
        return fail(error, "cannot copy over", destination, EEXIST);
    return copyItem(source, destination, error);
}

bool NSFileManager::moveItemAtPath(std::string const& source, std::string const& destination,
                                   std::string* error) const
{
    if (isItem(destination))
        return fail(error, "cannot move over", destination, EEXIST);
    if (rename(source.c_str(), destination.c_str()) != 0)
        return failWithErrno(error, "cannot move", source);
    return true;
}

bool NSFileManager::createDirectoryAtPath(std::string const& path, bool withIntermediateDirectories,
                                          std::string* error) const
{
    if (!withIntermediateDirectories) {
        if (mkdir(path.c_str(), 0777) != 0)
            return failWithErrno(error, "cannot create the folder", path);
        return true;
    }
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && !(errno == EEXIST && isFolder(part)))
            return failWithErrno(error, "cannot create the folder", part);
        if (slash == std::string::npos)
            return true;
    }
}
