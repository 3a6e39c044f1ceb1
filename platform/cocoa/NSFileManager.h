#pragma once
// The file operations of the default file manager. Every operation that can
// fail returns false and, when error is not null, stores the reason there.

#include <string>

class NSFileManager
{
public:
    static NSFileManager& defaultManager();

    // True when something exists at path (a symbolic link counts by its target).
    bool fileExistsAtPath(std::string const& path) const;
    // Removes the file, link or folder tree at path; links are removed, never followed.
    bool removeItemAtPath(std::string const& path, std::string* error) const;
    // Copies the file, link or folder tree at source to destination, which must
    // not exist: symbolic links stay links, and every copy keeps its permission
    // bits and its access and modification times. Other kinds of files (pipes,
    // devices, sockets) make the copy fail; a failed copy may leave a part behind.
    bool copyItemAtPath(std::string const& source, std::string const& destination, std::string* error) const;
    // Renames source to destination, which must not exist; both on one file system.
    bool moveItemAtPath(std::string const& source, std::string const& destination, std::string* error) const;
    // Creates the folder; withIntermediateDirectories creates its missing
    // parents too and takes a folder that exists as success.
    bool createDirectoryAtPath(std::string const& path, bool withIntermediateDirectories, std::string* error) const;

private:
    NSFileManager() = default;
};
