#pragma once
// Temporary folders, environment variables and file contents for the file tests.

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <random>
#include <string>
#include <thread>

namespace FileTest {

// A fresh folder under /tmp (or under another folder that exists), removed
// with its contents at the end of the test.
class TempFolder
{
public:
    explicit TempFolder(std::string const& base = "/tmp")
    {
        std::string pattern = base + "/dravik-files-XXXXXX";
        char* made = mkdtemp(pattern.data());
        path_ = made ? made : "";
        if (made)
            chmod(made, 0755);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            if (entry.is_directory(ignored))
                chmod(entry.path().c_str(), 0755);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(TempFolder const&) = delete;
    TempFolder& operator=(TempFolder const&) = delete;

    std::string const& path() const { return path_; }
    std::string operator/(std::string const& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The memory-backed /dev/shm where it can be written, else /tmp: saves there
// wait for no disk, so that hundreds of them fit into a short test.
inline std::string memoryFolder()
{
    return access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : "/tmp";
}

// Sets or unsets an environment variable for the scope and restores it after.
class ScopedEnv
{
public:
    explicit ScopedEnv(char const* name)
        : name_(name)
    {
        char const* old = std::getenv(name);
        hadValue_ = old != nullptr;
        if (old)
            oldValue_ = old;
    }
    ScopedEnv(char const* name, char const* value)
        : ScopedEnv(name)
    {
        set(value);
    }
    ~ScopedEnv()
    {
        if (hadValue_)
            setenv(name_.c_str(), oldValue_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(ScopedEnv const&) = delete;
    ScopedEnv& operator=(ScopedEnv const&) = delete;

    void set(char const* value) { setenv(name_.c_str(), value, 1); }
    void unset() { unsetenv(name_.c_str()); }

private:
    std::string name_;
    bool hadValue_ = false;
    std::string oldValue_;
};

inline void writeFile(std::string const& path, std::string const& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline size_t entryCount(std::string const& folder)
{
    std::error_code ignored;
    auto entries = std::filesystem::directory_iterator(folder, ignored);
    return static_cast<size_t>(std::distance(begin(entries), end(entries)));
}

// Runs the action in a child process and gives its result (98 when the child dies
// or the action throws: the child never returns into the test program), for
// actions that change the process for good.
inline int runInChild(std::function<int()> const& action)
{
    pid_t child = fork();
    if (child == 0) {
        int result = 98;
        try {
            result = action();
        } catch (...) {
        }
        _exit(result);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

// Runs the action in a child process whose address space may grow by at most
// that many bytes, so that one that runs away with memory fails there (98, or
// the sanitizer's exit code) instead of filling the machine. The bound counts from
// what the process has mapped already: under the sanitizers, terabytes of
// reserved shadow.
inline int runInChildWithin(std::size_t bytes, std::function<int()> const& action)
{
    return runInChild([&] {
        unsigned long long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE)) + bytes;
        if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0)
            return 97;
        return action();
    });
}

// Runs the action as a user without special rights: root ignores folder
// permissions, so as root the action runs in a child that has become "nobody".
inline int runUnprivileged(std::function<int()> const& action)
{
    if (geteuid() != 0)
        return action();
    return runInChild([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            return 99;
        return action();
    });
}

// Lowers the process's file-size limit for the scope, so that a write of a
// larger file fails halfway (with EFBIG: SIGXFSZ is ignored meanwhile).
class ScopedFileSizeLimit
{
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~ScopedFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    ScopedFileSizeLimit(ScopedFileSizeLimit const&) = delete;
    ScopedFileSizeLimit& operator=(ScopedFileSizeLimit const&) = delete;

private:
    rlimit old_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

// Mounts a small tmpfs on an existing folder for the scope, where the machine
// allows it (root, and a system that lets root mount), so that the folder fills
// up as a disk does.
class ScopedTmpfs
{
public:
    ScopedTmpfs(std::string folder, char const* size)
        : folder_(std::move(folder))
    {
        mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
    }
    ~ScopedTmpfs()
    {
        if (mounted_)
            umount2(folder_.c_str(), MNT_DETACH);
    }
    ScopedTmpfs(ScopedTmpfs const&) = delete;
    ScopedTmpfs& operator=(ScopedTmpfs const&) = delete;

    bool mounted() const { return mounted_; }

    // Takes every free block with a file of that name.
    void fill(std::string const& name) const
    {
        int fd = open((folder_ + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::string block(4096, 'f');
        while (fd >= 0 && write(fd, block.data(), block.size()) > 0) {
        }
        if (fd >= 0)
            close(fd);
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

// Makes this thread's file permission checks those of the user "nobody" for
// the scope, when it runs as root: root passes every such check, so only then
// does a read-only folder or an unreadable file refuse it. Other users keep
// their own rights, which those folders and files refuse already.
class ScopedFileSystemUserNobody
{
public:
    ScopedFileSystemUserNobody()
        : active_(geteuid() == 0)
    {
        if (active_) {
            setfsgid(65534);
            setfsuid(65534);
        }
    }
    ~ScopedFileSystemUserNobody()
    {
        if (active_) {
            setfsuid(0);
            setfsgid(0);
        }
    }
    ScopedFileSystemUserNobody(ScopedFileSystemUserNobody const&) = delete;
    ScopedFileSystemUserNobody& operator=(ScopedFileSystemUserNobody const&) = delete;

private:
    bool active_;
};

// What killing saves of a file left behind.
struct KillReport {
    bool allSaved = true; // every child got to save before it was killed
    int newFiles = 0;     // kills after which the file held the version being saved
    int leftovers = 0;    // kills after which a temporary file lay beside it
    int broken = 0;       // kills after which it held neither version whole, or no file
    int piledUp = 0;      // kills after which more than one temporary file lay beside it
    std::string summary() const
    {
        return std::to_string(newFiles) + " left the new file, " + std::to_string(leftovers)
               + " a temporary file, " + std::to_string(broken) + " neither whole version, "
               + std::to_string(piledUp) + " more than one temporary file";
    }
};

// Kills a process that saves a file again and again with SIGKILL at a random
// moment, `rounds` times. Each round forks a child that calls save(version) for
// version = saved + 1, saved + 2, ... and counts each save that returned in
// saved; once the child has saved once, it is killed within the next 2 ms. A
// kill thus falls into any part of a save, and the file must then hold
// contents(saved) or contents(saved + 1), alone in its folder but for the
// temporary file of the save killed last.
inline KillReport killWhileSaving(int rounds, std::string const& file, std::function<void(long)> const& save,
                                  std::function<std::string(long)> const& contents)
{
    KillReport report;
    void* shared = mmap(nullptr, sizeof(std::atomic<long>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return KillReport{false};
    auto* saved = new (shared) std::atomic<long>(0);
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delayMicros(0, 2000);
    for (int round = 0; round < rounds && report.allSaved; ++round) {
        long before = saved->load();
        pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            try {
                for (long version = before + 1;; ++version) {
                    save(version);
                    saved->store(version);
                }
            } catch (...) {
            }
            _exit(1);
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (saved->load() == before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        report.allSaved = saved->load() != before;
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::string now = readFile(file);
        bool isNew = now == contents(saved->load() + 1);
        report.newFiles += isNew;
        report.broken += !isNew && now != contents(saved->load());
        size_t entries = entryCount(std::filesystem::path(file).parent_path());
        report.leftovers += entries > 1;
        report.piledUp += entries > 2;
    }
    munmap(shared, sizeof(std::atomic<long>));
    return report;
}

// Watches a test that reads a named pipe. When the test has not called
// finished() within 5 s, a writer opens and closes the pipe until it does, so
// that a reader stuck waiting for a writer goes on and the test ends.
class PipeWatchdog
{
public:
    explicit PipeWatchdog(std::string pipe)
        : pipe_(std::move(pipe)), thread_([this] { watch(); })
    {
    }
    ~PipeWatchdog() { finished(); }
    PipeWatchdog(PipeWatchdog const&) = delete;
    PipeWatchdog& operator=(PipeWatchdog const&) = delete;

    // True when the test got here without the writer's help.
    bool finished()
    {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
        return !helped_;
    }

private:
    void watch()
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done_ && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        while (!done_) {
            helped_ = true;
            int fd = open(pipe_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::string pipe_;
    std::atomic<bool> done_{false};
    std::atomic<bool> helped_{false};
    std::thread thread_;
};

} // namespace FileTest
