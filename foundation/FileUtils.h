#pragma once
// Files and folders: tests, small operations, folder creation, file names and
// the whole-file reader; with the headers included at the end, every file,
// folder and platform helper of the foundation. Each function comes in a
// BString form and a form taking a zero-terminated UTF-8 path; truth values are
// ints (1 or 0).

#include "foundation/BString.h"

namespace Tr {

int FileExists(BString const& path);
int fileExists(char const* path);
int DirExists(BString const& path);
int dirExists(char const* path);
int DirOrFileExists(BString const& path);
int dirOrFileExists(char const* path);
// A missing file counts as read-only too.
int FileIsReadOnly(BString const& path);
int fileIsReadOnly(char const* path);
int isFileSystemRoot(char const* path);
// A path of PATH_MAX bytes or more names no file: every call of the system refuses it.
int PathTooLong(BString const& path);
int pathTooLong(char const* path);

int FileRename(BString const& oldPath, BString const& newPath);
int fileRename(char const* oldPath, char const* newPath);
int FileDelete(BString const& path);
int fileDelete(char const* path);
// Creates or empties the file; 0 on success, -1 when it cannot be opened or closed.
int TruncateFile(BString const& path);
int truncateFile(char const* path);
// The size in bytes (INT_MAX for anything larger), -1 when the file cannot be
// opened or is no regular file.
int getFileSize(BString const& path);
int getFileSize(char const* path);

// Creates the folder and its missing parents; trailing slashes are ignored and
// a folder that exists (or that someone else creates meanwhile) is success.
// Top-level folders such as "/abc", relative paths and paths too long for the
// system are never created.
int ForceDirectories(BString const& path);
int forceDirectories(char const* path);

int IsAbsoluteFilename(BString const& name);
BString MakeAbsoluteFilename(BString const& name, BString const& base);
BString GetTempFilename(BString const& pattern);

// Reads the whole file into a new buffer (not zero-terminated; an empty file
// gives a non-null buffer and size 0). On failure returns null, leaves size
// unchanged and stores the reason in *error when error is not null. Anything
// but a regular file (a pipe, a device, a folder) is refused without waiting.
void* getMemoryMappedFile(BString const& fileName, int& size, BString* error = nullptr);
void freeMemoryMappedFile(void* buffer);

} // namespace Tr

#include "foundation/AtomicFile.h"
#include "foundation/ExecuteFile.h"
#include "foundation/Folders.h"
#include "foundation/NumberParsing.h"
#include "foundation/PlatformInfo.h"
