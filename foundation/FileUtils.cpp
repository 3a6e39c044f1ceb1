#include "foundation/FileUtils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Tr {

namespace {

// Opens a regular file for reading. Anything else is refused before it is opened
// for reading, since a pipe or a device would block the reader for good; should
// the name be swapped for one after the check, O_NONBLOCK keeps the open from
// waiting and the check of the opened file refuses it (regular files ignore the
// flag). notRegular tells why a file that exists was refused.
FILE* openForReading(char const* path, bool& notRegular)
{
    struct stat info;
    notRegular = path != nullptr && stat(path, &info) == 0 && !S_ISREG(info.st_mode);
    if (path == nullptr || notRegular)
        return nullptr;
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    notRegular = fstat(fd, &info) != 0 || !S_ISREG(info.st_mode);
    FILE* f = notRegular ? nullptr : fdopen(fd, "rb");
    if (f == nullptr)
        close(fd);
    return f;
}

// The size of an open file from its end position; -1 when it cannot be found.
long long sizeOfOpenFile(FILE* f)
{
    if (fseeko(f, 0, SEEK_END) != 0)
        return -1;
    long long size = ftello(f);
    if (fseeko(f, 0, SEEK_SET) != 0)
        return -1;
    return size;
}

void setError(BString* error, BString const& text)
{
    if (error != nullptr)
        *error = text;
}

void dropTrailingSlashes(std::string& path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
}

int makeFolders(std::string const& path)
{
    if (path == "/" || dirExists(path.c_str()))
        return 1;
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return 0;
    std::string parent = path.substr(0, slash);
    dropTrailingSlashes(parent);
    if (!makeFolders(parent))
        return 0;
    if (mkdir(path.c_str(), 0777) == 0)
        return 1;
    return errno == EEXIST && dirExists(path.c_str());
}

} // namespace

int fileExists(char const* path)
{
    struct stat info;
    return path != nullptr && stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
}

int FileExists(BString const& path)
{
    return fileExists(path.toUTF8());
}

int dirExists(char const* path)
{
    struct stat info;
    return path != nullptr && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

int DirExists(BString const& path)
{
    return dirExists(path.toUTF8());
}

int dirOrFileExists(char const* path)
{
    struct stat info;
    return path != nullptr && stat(path, &info) == 0;
}

int DirOrFileExists(BString const& path)
{
    return dirOrFileExists(path.toUTF8());
}

int fileIsReadOnly(char const* path)
{
    return path == nullptr || access(path, W_OK) != 0;
}

int FileIsReadOnly(BString const& path)
{
    return fileIsReadOnly(path.toUTF8());
}

int isFileSystemRoot(char const* path)
{
    return path != nullptr && path[0] == '/' && path[1] == 0;
}

int pathTooLong(char const* path)
{
    return path != nullptr && strnlen(path, PATH_MAX) == PATH_MAX;
}

int PathTooLong(BString const& path)
{
    return pathTooLong(path.toUTF8());
}

int fileRename(char const* oldPath, char const* newPath)
{
    return std::rename(oldPath, newPath) == 0;
}

int FileRename(BString const& oldPath, BString const& newPath)
{
    return fileRename(oldPath.toUTF8(), newPath.toUTF8());
}

int fileDelete(char const* path)
{
    return std::remove(path) == 0;
}

int FileDelete(BString const& path)
{
    return fileDelete(path.toUTF8());
}

int truncateFile(char const* path)
{
    FILE* f = std::fopen(path, "w");
    if (f == nullptr)
        return EOF;
    return std::fclose(f);
}

int TruncateFile(BString const& path)
{
    return truncateFile(path.toUTF8());
}

int getFileSize(char const* path)
{
    bool notRegular;
    FILE* f = openForReading(path, notRegular);
    if (f == nullptr)
        return -1;
    long long size = sizeOfOpenFile(f);
    std::fclose(f);
    // Larger files say INT_MAX rather than wrap: 4 GiB + 690 bytes must not look like 690.
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

int getFileSize(BString const& path)
{
    return getFileSize(path.toUTF8());
}

int forceDirectories(char const* path)
{
    // Each level of the walk up copies the path: one too long to name a folder
    // would cost the square of its length and as many levels of stack.
    if (path == nullptr || path[0] == 0 || pathTooLong(path))
        return 0;
    std::string folder(path);
    dropTrailingSlashes(folder);
    return makeFolders(folder);
}

int ForceDirectories(BString const& path)
{
    return forceDirectories(path.toUTF8());
}

int IsAbsoluteFilename(BString const& name)
{
    char const* p = name.toUTF8();
    while (*p == '"' || (*p != 0 && static_cast<unsigned char>(*p) <= 32))
        ++p;
    return p[0] == '/' && p[1] != 0;
}

BString MakeAbsoluteFilename(BString const& name, BString const& base)
{
    if (IsAbsoluteFilename(name))
        return name;
    if (name.startsWith('/') || base.endsWith('/'))
        return base + name;
    return base + "/" + name;
}

BString GetTempFilename(BString const& pattern)
{
    BString folder = pattern.isEmpty() ? BString("/tmp") : pattern;
    BString baseName("temp");
    BString extension(".tmp");
    if (FileExists(pattern)) {
        folder = pattern.extractFileDir();
        BString name = pattern.extractFileName();
        BString ext = pattern.extractFileExtension();
        if (name.isNotEmpty())
            baseName = name;
        if (ext.isNotEmpty())
            extension = ext;
    }
    for (unsigned int n = 1;; ++n) {
        BString candidate = folder + "/" + baseName + BString::fromInt(n) + extension;
        if (!FileExists(candidate))
            return candidate;
    }
}

void* getMemoryMappedFile(BString const& fileName, int& size, BString* error)
{
    bool notRegular;
    FILE* f = openForReading(fileName.toUTF8(), notRegular);
    if (f == nullptr) {
        setError(error, (notRegular ? "not a regular file: " : "error opening file: : ") + fileName);
        return nullptr;
    }
    long long length = sizeOfOpenFile(f);
    if (static_cast<unsigned long long>(length) >= 2147483647ull) {
        std::fclose(f);
        setError(error, "file too large (2GB limit): " + fileName);
        return nullptr;
    }
    // One byte more than needed, so that an empty file still gets a real buffer.
    void* buffer = std::malloc(static_cast<std::size_t>(length) + 1);
    if (buffer == nullptr) {
        std::fclose(f);
        setError(error, "out of memory (trying to allocate " + BString::fromInt(length) + " bytes).");
        return nullptr;
    }
    std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(length), f);
    std::fclose(f);
    if (got != static_cast<std::size_t>(length)) {
        std::free(buffer);
        setError(error, "error reading file into buffer : " + fileName);
        return nullptr;
    }
    size = static_cast<int>(length);
    return buffer;
}

void freeMemoryMappedFile(void* buffer)
{
    std::free(buffer);
}

} // namespace Tr
