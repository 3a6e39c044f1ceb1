#include "foundation/FileUtils.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/xattr.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <thread>
#include <vector>

using FileTest::readFile;
using FileTest::TempFolder;
using FileTest::writeFile;
using Tr::BString;

namespace {

std::string str(BString const& s)
{
    return s.c_str();
}

TEST(FileTests, FilesFoldersAndMissingPaths)
{
    TempFolder dir;
    std::string file = dir / "f.txt";
    writeFile(file, "x");
    symlink(dir.path().c_str(), (dir / "link").c_str());

    EXPECT_TRUE(Tr::FileExists(BString(file.c_str())));
    EXPECT_FALSE(Tr::DirExists(BString(file.c_str())));
    EXPECT_TRUE(Tr::dirExists(dir.path().c_str()));
    EXPECT_FALSE(Tr::fileExists(dir.path().c_str()));
    EXPECT_TRUE(Tr::dirExists((dir / "link").c_str()));
    for (auto const& missing : {dir / "none", std::string()}) {
        EXPECT_FALSE(Tr::fileExists(missing.c_str()));
        EXPECT_FALSE(Tr::dirExists(missing.c_str()));
        EXPECT_FALSE(Tr::dirOrFileExists(missing.c_str()));
    }
    EXPECT_TRUE(Tr::DirOrFileExists(BString(file.c_str())));
    EXPECT_TRUE(Tr::dirOrFileExists(dir.path().c_str()));
}

TEST(FileTests, SocketIsNoFolder)
{
    TempFolder dir;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = dir / "sock";
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(0, bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
    EXPECT_FALSE(Tr::dirExists(path.c_str()));
    EXPECT_TRUE(Tr::fileExists(path.c_str()));
    close(fd);
}

TEST(FileTests, ReadOnlyAndRoot)
{
    TempFolder dir;
    writeFile(dir / "w", "x");
    EXPECT_FALSE(Tr::FileIsReadOnly(BString((dir / "w").c_str())));
    EXPECT_TRUE(Tr::fileIsReadOnly((dir / "missing").c_str()));
    EXPECT_TRUE(Tr::isFileSystemRoot("/"));
    EXPECT_FALSE(Tr::isFileSystemRoot("//"));
    EXPECT_FALSE(Tr::isFileSystemRoot(""));
}

TEST(FileOperations, RenameDeleteTruncateAndSize)
{
    TempFolder dir;
    writeFile(dir / "a", "hello");
    EXPECT_EQ(5, Tr::getFileSize(BString((dir / "a").c_str())));
    EXPECT_TRUE(Tr::FileRename(BString((dir / "a").c_str()), BString((dir / "b").c_str())));
    EXPECT_FALSE(Tr::fileRename((dir / "a").c_str(), (dir / "c").c_str()));
    EXPECT_EQ(0, Tr::TruncateFile(BString((dir / "b").c_str())));
    EXPECT_EQ(0, Tr::getFileSize((dir / "b").c_str()));
    EXPECT_EQ(0, Tr::truncateFile((dir / "new").c_str()));
    EXPECT_TRUE(Tr::fileExists((dir / "new").c_str()));
    EXPECT_NE(0, Tr::truncateFile((dir / "no/such").c_str()));
    EXPECT_FALSE(Tr::dirOrFileExists((dir / "no").c_str()));
    EXPECT_TRUE(Tr::FileDelete(BString((dir / "b").c_str())));
    EXPECT_FALSE(Tr::fileDelete((dir / "b").c_str()));
    EXPECT_EQ(-1, Tr::getFileSize((dir / "b").c_str()));
    EXPECT_EQ(-1, Tr::getFileSize(dir.path().c_str()));
}

TEST(ForceDirectories, CreatesMissingParents)
{
    TempFolder dir;
    std::string deep = dir / "a/b/c";
    EXPECT_TRUE(Tr::ForceDirectories(BString(deep.c_str())));
    EXPECT_TRUE(Tr::dirExists((dir / "a/b").c_str()));
    EXPECT_TRUE(Tr::dirExists(deep.c_str()));
    EXPECT_TRUE(Tr::forceDirectories(deep.c_str()));
}

TEST(ForceDirectories, TrailingSlashesSucceedAtOnce)
{
    TempFolder dir;
    EXPECT_TRUE(Tr::forceDirectories((dir / "x/y/").c_str()));
    EXPECT_TRUE(Tr::dirExists((dir / "x/y").c_str()));
    EXPECT_TRUE(Tr::forceDirectories((dir / "p//q//").c_str()));
    EXPECT_TRUE(Tr::dirExists((dir / "p/q").c_str()));
    EXPECT_TRUE(Tr::forceDirectories("/"));
    EXPECT_TRUE(Tr::forceDirectories("///"));
}

TEST(ForceDirectories, RefusesWhatItMustNotCreate)
{
    TempFolder dir;
    writeFile(dir / "file", "x");
    EXPECT_FALSE(Tr::forceDirectories(""));
    EXPECT_FALSE(Tr::forceDirectories(nullptr));
    EXPECT_FALSE(Tr::forceDirectories("/dravik-newtop-never-made"));
    EXPECT_FALSE(Tr::dirOrFileExists("/dravik-newtop-never-made"));
    EXPECT_FALSE(Tr::forceDirectories("relative/folder"));
    EXPECT_FALSE(Tr::forceDirectories((dir / "file").c_str()));
    EXPECT_FALSE(Tr::forceDirectories((dir / "file/sub").c_str()));
    std::string tooLong = dir.path();
    while (tooLong.size() < (1u << 20))
        tooLong += "/a";
    // Refused before any work: walking it up would take gigabytes.
    EXPECT_EQ(0, FileTest::runInChildWithin(256 << 20, [&] { return Tr::forceDirectories(tooLong.c_str()); }));
    EXPECT_FALSE(Tr::dirExists((dir / "a").c_str()));
}

// The limit is the system's own: one byte less is refused for another reason.
TEST(FileTests, APathIsTooLongFromTheSystemsLimitOn)
{
    for (std::size_t length : {std::size_t(PATH_MAX) - 1, std::size_t(PATH_MAX), std::size_t(16) << 20}) {
        std::string path = "/dravik-none";
        while (path.size() < length)
            path += path.size() + 2 <= length ? "/a" : "a";
        bool tooLong = length >= PATH_MAX;
        SCOPED_TRACE(length);
        EXPECT_EQ(tooLong, Tr::PathTooLong(BString(path.c_str())));
        struct stat info;
        EXPECT_NE(0, stat(path.c_str(), &info));
        EXPECT_EQ(tooLong, errno == ENAMETOOLONG);
    }
}

TEST(ForceDirectories, ConcurrentCreationSucceedsEverywhere)
{
    for (int round = 0; round < 20; ++round) {
        TempFolder dir;
        std::string deep = dir / "m/n/o/p/q";
        std::vector<int> results(8, -1);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < results.size(); ++i)
            threads.emplace_back([&, i] { results[i] = Tr::forceDirectories(deep.c_str()); });
        for (auto& t : threads)
            t.join();
        for (int result : results)
            EXPECT_EQ(1, result);
    }
}

TEST(FileNames, AbsoluteNames)
{
    struct Case {
        char const* name;
        int absolute;
    } const cases[] = {
        {"/a", 1}, {"/", 0}, {"", 0}, {"a/b", 0}, {"  /x", 1}, {"\"/x\"", 1}, {"\" /", 0}, {"\t\"/y", 1},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.absolute, Tr::IsAbsoluteFilename(BString(c.name))) << c.name;
}

TEST(FileNames, MakeAbsolute)
{
    struct Case {
        char const* name;
        char const* base;
        char const* result;
    } const cases[] = {
        {"x.txt", "/base", "/base/x.txt"}, {"x.txt", "/base/", "/base/x.txt"}, {"/abs", "/base", "/abs"},
        {"x", "", "/x"},                   {"/", "/base", "/base/"},          {"/", "base", "base/"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.result, str(Tr::MakeAbsoluteFilename(BString(c.name), BString(c.base)))) << c.name;
}

TEST(FileNames, TempFilenameSkipsExistingFiles)
{
    TempFolder dir;
    BString folder(dir.path().c_str());
    EXPECT_EQ(dir / "temp1.tmp", str(Tr::GetTempFilename(folder)));
    writeFile(dir / "temp1.tmp", "");
    EXPECT_EQ(dir / "temp2.tmp", str(Tr::GetTempFilename(folder)));
    mkdir((dir / "temp2.tmp").c_str(), 0755);
    EXPECT_EQ(dir / "temp2.tmp", str(Tr::GetTempFilename(folder)));

    writeFile(dir / "data.txt", "");
    EXPECT_EQ(dir / "data.txt1.txt", str(Tr::GetTempFilename(BString((dir / "data.txt").c_str()))));
    writeFile(dir / "plain", "");
    EXPECT_EQ(dir / "plain1.tmp", str(Tr::GetTempFilename(BString((dir / "plain").c_str()))));
}

TEST(FileNames, TempFilenameOfEmptyPatternIsInTmp)
{
    std::string name = str(Tr::GetTempFilename(BString()));
    EXPECT_EQ(0u, name.rfind("/tmp/temp", 0)) << name;
    EXPECT_EQ(".tmp", name.substr(name.size() - 4));
    EXPECT_FALSE(Tr::fileExists(name.c_str()));
}

TEST(WholeFileReader, ReadsEveryByte)
{
    TempFolder dir;
    std::string bytes("a\0b\r\n\xF0", 6);
    writeFile(dir / "f", bytes);
    int size = -5;
    void* buffer = Tr::getMemoryMappedFile(BString((dir / "f").c_str()), size);
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(6, size);
    EXPECT_EQ(bytes, std::string(static_cast<char*>(buffer), 6));
    Tr::freeMemoryMappedFile(buffer);
    Tr::freeMemoryMappedFile(nullptr);
}

TEST(WholeFileReader, EmptyFileGivesRealBuffer)
{
    TempFolder dir;
    writeFile(dir / "empty", "");
    int size = 99;
    BString error("untouched");
    void* buffer = Tr::getMemoryMappedFile(BString((dir / "empty").c_str()), size, &error);
    EXPECT_NE(nullptr, buffer);
    EXPECT_EQ(0, size);
    EXPECT_EQ("untouched", str(error));
    Tr::freeMemoryMappedFile(buffer);
}

TEST(WholeFileReader, FailuresKeepSizeAndReportTheName)
{
    TempFolder dir;
    struct {
        std::string path;
        std::string reason;
    } const cases[] = {
        {dir / "missing", "error opening file: : "},
        {dir.path(), "not a regular file: "},
        {"/dev/null", "not a regular file: "},
    };
    for (auto const& c : cases) {
        int size = 42;
        BString error;
        EXPECT_EQ(nullptr, Tr::getMemoryMappedFile(BString(c.path.c_str()), size, &error));
        EXPECT_EQ(42, size);
        EXPECT_EQ(c.reason + c.path, str(error));
        EXPECT_EQ(nullptr, Tr::getMemoryMappedFile(BString(c.path.c_str()), size));
        EXPECT_EQ(42, size);
        EXPECT_EQ(-1, Tr::getFileSize(c.path.c_str()));
    }
}

// Opening a pipe for reading would wait for a writer for ever.
TEST(WholeFileReader, RefusesAPipeWithoutWaitingForAWriter)
{
    TempFolder dir;
    std::string pipe = dir / "pipe.syx";
    ASSERT_EQ(0, mkfifo(pipe.c_str(), 0644));
    int size = 42;
    BString error;
    FileTest::PipeWatchdog watchdog(pipe);
    void* buffer = Tr::getMemoryMappedFile(BString(pipe.c_str()), size, &error);
    int fileSize = Tr::getFileSize(pipe.c_str());
    EXPECT_TRUE(watchdog.finished());
    EXPECT_EQ(nullptr, buffer);
    EXPECT_EQ(42, size);
    EXPECT_EQ("not a regular file: " + pipe, str(error));
    EXPECT_EQ(-1, fileSize);
    Tr::freeMemoryMappedFile(buffer);
}

TEST(WholeFileReader, RefusesTwoGigabytes)
{
    TempFolder dir;
    std::string path = dir / "huge";
    writeFile(path, "");
    ASSERT_EQ(0, truncate(path.c_str(), 2147483647LL)); // sparse: takes no disk space
    int size = 3;
    BString error;
    EXPECT_EQ(nullptr, Tr::getMemoryMappedFile(BString(path.c_str()), size, &error));
    EXPECT_EQ(3, size);
    EXPECT_EQ("file too large (2GB limit): " + path, str(error));
    EXPECT_EQ(2147483647, Tr::getFileSize(path.c_str()));
    // Beyond the int range the size saturates instead of wrapping to a small number.
    ASSERT_EQ(0, truncate(path.c_str(), 4294967296LL + 690));
    EXPECT_EQ(2147483647, Tr::getFileSize(path.c_str()));
}

TEST(AtomicWrite, ReplacesContentsAndKeepsPermissions)
{
    TempFolder dir;
    std::string file = dir / "data";
    writeFile(file, "old contents that are longer");
    chmod(file.c_str(), 0640);
    EXPECT_TRUE(Tr::writeFileAtomically(BString(file.c_str()), "new", 3));
    EXPECT_EQ("new", readFile(file));
    struct stat info;
    ASSERT_EQ(0, stat(file.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);
    EXPECT_EQ(1u, FileTest::entryCount(dir.path()));
}

TEST(AtomicWrite, WritesThroughASymbolicLink)
{
    TempFolder dir;
    writeFile(dir / "real", "old");
    symlink((dir / "real").c_str(), (dir / "link").c_str());
    EXPECT_TRUE(Tr::writeFileAtomically(BString((dir / "link").c_str()), "new", 3));
    struct stat info;
    ASSERT_EQ(0, lstat((dir / "link").c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ("new", readFile(dir / "real"));
}

// Only temporary files of writers that no longer run are removed: a living
// writer's file is still being written, and any other name is the user's.
TEST(AtomicWrite, RemovesOnlyTheTemporaryFilesOfWritersThatAreGone)
{
    TempFolder dir;
    pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    std::string dead = std::to_string(gone);
    std::string living = std::to_string(getppid());
    struct {
        std::string name;
        bool removed;
    } const cases[] = {
        {".dravik-" + dead + "-0.tmp", true},
        {".dravik-" + dead + "-4294967295.tmp", true},
        {".dravik-" + living + "-0.tmp", false},
        {".dravik-" + std::to_string(getpid()) + "-0.tmp", false},
        {".dravik-" + dead + "-0.tmp.syx", false},
        {".dravik-" + dead + "-.tmp", false},
        {".dravik--0.tmp", false},
        {".dravik-" + dead + "-0x1.tmp", false},
        {"dravik-" + dead + "-0.tmp", false},
        {".dravik-" + dead + ".tmp", false},
    };
    for (auto const& c : cases)
        writeFile(dir / c.name, "x");
    EXPECT_TRUE(Tr::writeFileAtomically(BString((dir / "data").c_str()), "new", 3));
    for (auto const& c : cases)
        EXPECT_EQ(!c.removed, Tr::fileExists((dir / c.name).c_str())) << c.name;
}

// Each failure says why, in the system's words, and leaves the folder as it was.
TEST(AtomicWrite, FailuresSayWhyAndLeaveNothingBehind)
{
    TempFolder dir;
    mkdir((dir / "folder").c_str(), 0755);
    ASSERT_EQ(0, mkfifo((dir / "pipe").c_str(), 0644));
    struct {
        std::string path;
        char const* reason;
    } const cases[] = {
        {dir / "folder", "not a regular file"},
        {dir / "pipe", "not a regular file"},
        {dir / "none/file", "No such file or directory"},
        {dir / std::string(256, 'n'), "File name too long"},
        {"", "No such file or directory"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.path);
        BString error;
        EXPECT_FALSE(Tr::writeFileAtomically(BString(c.path.c_str()), "x", 1, &error));
        EXPECT_EQ(c.reason, str(error));
        EXPECT_FALSE(Tr::writeFileAtomically(BString(c.path.c_str()), "x", 1));
    }
    struct stat info;
    ASSERT_EQ(0, lstat((dir / "pipe").c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(2u, FileTest::entryCount(dir.path()));
}

// The temporary file's name must not add to the target's: any name the folder
// takes can be saved, also over an existing file.
TEST(AtomicWrite, TheLongestNameTheFolderTakesCanBeSaved)
{
    TempFolder dir;
    std::string file = dir / (std::string(251, 'n') + ".syx");
    EXPECT_TRUE(Tr::writeFileAtomically(BString(file.c_str()), "first", 5));
    EXPECT_TRUE(Tr::writeFileAtomically(BString(file.c_str()), "second", 6));
    EXPECT_EQ("second", readFile(file));
    EXPECT_EQ(1u, FileTest::entryCount(dir.path()));
}

// A write that fails halfway (here at the file-size limit) must not have
// touched the old file: an in-place write would have cut it already.
TEST(AtomicWrite, AWriteThatFailsHalfwayKeepsEveryOldByte)
{
    TempFolder dir;
    std::string file = dir / "data";
    std::string old(600, 'o');
    writeFile(file, old);
    std::string bigger(8192, 'n');
    BString error;
    {
        FileTest::ScopedFileSizeLimit limit(4096);
        EXPECT_FALSE(Tr::writeFileAtomically(BString(file.c_str()), bigger.data(), bigger.size(), &error));
    }
    EXPECT_EQ("File too large", str(error));
    EXPECT_EQ(old, readFile(file));
    EXPECT_EQ(1u, FileTest::entryCount(dir.path()));
}

// Whoever has the old file open keeps reading the old bytes: the new ones go
// into a new file.
TEST(AtomicWrite, AReaderOfTheOldFileKeepsReadingTheOldBytes)
{
    TempFolder dir;
    std::string file = dir / "data";
    writeFile(file, "old bytes");
    std::ifstream reader(file, std::ios::binary);
    EXPECT_TRUE(Tr::writeFileAtomically(BString(file.c_str()), "new contents", 12));
    std::string seen((std::istreambuf_iterator<char>(reader)), std::istreambuf_iterator<char>());
    EXPECT_EQ("old bytes", seen);
    EXPECT_EQ("new contents", readFile(file));
}

TEST(AtomicWrite, AFullDiskIsNamedAndKeepsTheOldFile)
{
    TempFolder dir;
    std::string disk = dir / "disk";
    mkdir(disk.c_str(), 0755);
    FileTest::ScopedTmpfs tmpfs(disk, "64k");
    if (!tmpfs.mounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    std::string file = disk + "/data";
    writeFile(file, "old");
    std::string bigger(256 * 1024, 'n');
    BString error;
    EXPECT_FALSE(Tr::writeFileAtomically(BString(file.c_str()), bigger.data(), bigger.size(), &error));
    EXPECT_EQ("No space left on device", str(error));
    EXPECT_EQ("old", readFile(file));
    EXPECT_EQ(1u, FileTest::entryCount(disk));
}

// The user's rights decide, not the folder's alone: a file the user may not
// write is refused even where the user may create and rename files.
TEST(AtomicWrite, AFileTheUserMayNotWriteIsRefused)
{
    TempFolder dir;
    chmod(dir.path().c_str(), 0777);
    std::string readOnly = dir / "read-only";
    writeFile(readOnly, "old");
    chmod(readOnly.c_str(), 0444);
    std::vector<std::string> refused = {readOnly};
    if (geteuid() == 0) {
        // Made by root, so owned by another user than the one who writes below.
        std::string others = dir / "others";
        writeFile(others, "old");
        refused.push_back(others);
    }
    for (auto const& file : refused) {
        SCOPED_TRACE(file);
        int result = FileTest::runUnprivileged([&] {
            BString error;
            int written = Tr::writeFileAtomically(BString(file.c_str()), "new", 3, &error);
            return written == 0 && str(error) == "Permission denied" ? 0 : 1;
        });
        EXPECT_EQ(0, result);
        EXPECT_EQ("old", readFile(file));
    }
    EXPECT_EQ(refused.size(), FileTest::entryCount(dir.path()));
}

// Root may write any file, but one that nobody may write was made read-only on
// purpose: saving over it fails as it does for everyone else, and it stays.
TEST(AtomicWrite, AFileNobodyMayWriteIsRefusedAlsoForRoot)
{
    TempFolder dir;
    std::string file = dir / "read-only";
    writeFile(file, "old");
    chmod(file.c_str(), 0444);
    BString error;
    EXPECT_FALSE(Tr::writeFileAtomically(BString(file.c_str()), "new", 3, &error));
    EXPECT_EQ("Permission denied", str(error));
    EXPECT_EQ("old", readFile(file));
    EXPECT_EQ(1u, FileTest::entryCount(dir.path()));
}

// Root saving over another user's file leaves it that user's, with its mode
// (set-id bits too, which a change of owner clears). A user who may not give
// the file away keeps at least its group, being one of its members.
TEST(AtomicWrite, KeepsTheOwnerGroupAndModeOfTheFileItReplaces)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can make files of other users";
    TempFolder dir;
    chmod(dir.path().c_str(), 0777);
    struct {
        uid_t owner;
        gid_t group;
        mode_t mode;
        bool asMember;
        uid_t newOwner;
    } const cases[] = {
        {65534, 65534, 0640, false, 65534},
        {65534, 100, 06755, false, 65534},
        {0, 100, 0664, true, 65534},
    };
    for (auto const& c : cases) {
        std::string file = dir / ("data-" + std::to_string(c.group) + "-" + std::to_string(c.mode));
        SCOPED_TRACE(file);
        writeFile(file, "old");
        ASSERT_EQ(0, chown(file.c_str(), c.owner, c.group));
        ASSERT_EQ(0, chmod(file.c_str(), c.mode));
        int result = FileTest::runInChild([&] {
            gid_t groups[] = {c.group};
            if (c.asMember && (setgroups(1, groups) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                return 99;
            return Tr::writeFileAtomically(BString(file.c_str()), "new", 3) ? 0 : 1;
        });
        EXPECT_EQ(0, result);
        EXPECT_EQ("new", readFile(file));
        struct stat info;
        ASSERT_EQ(0, stat(file.c_str(), &info));
        EXPECT_EQ(c.newOwner, info.st_uid);
        EXPECT_EQ(c.group, info.st_gid);
        EXPECT_EQ(c.mode, info.st_mode & 07777);
    }
}

char const* const accessAcl = "system.posix_acl_access";

// An ACL as the system stores it: a version, then per entry a tag, the rights
// and the user or group id (-1 for the entries without one).
std::string aclOf(std::initializer_list<std::array<unsigned, 3>> entries)
{
    std::string acl;
    auto put = [&](unsigned value, int bytes) {
        for (int byte = 0; byte < bytes; ++byte)
            acl += static_cast<char>(value >> (8 * byte));
    };
    put(2, 4);
    for (auto const& entry : entries) {
        put(entry[0], 2);
        put(entry[1], 2);
        put(entry[2], 4);
    }
    return acl;
}

std::string xattrOf(std::string const& file, char const* name)
{
    char value[1024];
    ssize_t size = getxattr(file.c_str(), name, value, sizeof value);
    return size > 0 ? std::string(value, static_cast<std::size_t>(size)) : "";
}

// Makes every later fsetxattr of this process fail, as on a file system that
// keeps no ACLs of new files.
bool refuseSettingAcls()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_fsetxattr, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program = {static_cast<unsigned short>(std::size(filter)), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// A file shared through an ACL stays shared, and its group gets the rights of
// its own entry, not the mask's that the mode's group bits show; where the ACL
// cannot be set, it still gets no more. An ACL that the folder hands down does
// not go to a file that had none.
TEST(AtomicWrite, KeepsTheAccessAclOfTheFileItReplaces)
{
    unsigned const none = 0xffffffff, nobody = 65534;
    enum { UserObj = 0x01, User = 0x02, GroupObj = 0x04, Mask = 0x10, Other = 0x20 };
    std::string const shared =
        aclOf({{UserObj, 6, none}, {User, 6, nobody}, {GroupObj, 4, none}, {Mask, 6, none}, {Other, 0, none}});
    std::string const masked =
        aclOf({{UserObj, 6, none}, {User, 4, nobody}, {GroupObj, 0, none}, {Mask, 4, none}, {Other, 0, none}});
    std::string const handedDown =
        aclOf({{UserObj, 7, none}, {User, 6, nobody}, {GroupObj, 5, none}, {Mask, 7, none}, {Other, 5, none}});
    struct {
        char const* name;
        std::string acl;
        mode_t mode;
        bool aclRefused;
        std::string keptAcl;
        mode_t keptMode;
    } const cases[] = {
        {"shared", shared, 0660, false, shared, 0660},
        {"masked", masked, 0640, false, masked, 0640},
        {"refused", shared, 0660, true, "", 0640},
        {"plain", "", 0660, false, "", 0660},
    };
    TempFolder dir;
    if (setxattr(dir.path().c_str(), "system.posix_acl_default", handedDown.data(), handedDown.size(), 0) != 0)
        GTEST_SKIP() << "the file system under " << dir.path() << " keeps no ACLs: " << std::strerror(errno);
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = dir / c.name;
        writeFile(file, "old");
        removexattr(file.c_str(), accessAcl);
        ASSERT_EQ(0, chmod(file.c_str(), c.mode));
        if (!c.acl.empty()) {
            ASSERT_EQ(0, setxattr(file.c_str(), accessAcl, c.acl.data(), c.acl.size(), 0));
        }
        EXPECT_EQ(0, FileTest::runInChild([&] {
            if (c.aclRefused && !refuseSettingAcls())
                return 99;
            return Tr::writeFileAtomically(BString(file.c_str()), "new", 3) ? 0 : 1;
        }));
        EXPECT_EQ("new", readFile(file));
        EXPECT_EQ(c.keptAcl, xattrOf(file, accessAcl));
        struct stat info;
        ASSERT_EQ(0, stat(file.c_str(), &info));
        EXPECT_EQ(c.keptMode, info.st_mode & 07777);
    }
}

TEST(AtomicWrite, UnwritableFolderKeepsOldFile)
{
    TempFolder dir;
    std::string sub = dir / "locked";
    mkdir(sub.c_str(), 0755);
    writeFile(sub + "/data", "old");
    chmod(sub.c_str(), 0555);
    int result = FileTest::runUnprivileged([&] {
        BString error;
        int written = Tr::writeFileAtomically(BString((sub + "/data").c_str()), "new", 3, &error);
        return written == 0 && str(error) == "Permission denied" ? 0 : 1;
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ("old", readFile(sub + "/data"));
    EXPECT_EQ(1u, FileTest::entryCount(sub));
}

} // namespace
