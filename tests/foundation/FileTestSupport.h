#pragma once
// Temporary folders, environment variables and file contents for the file tests.

#include <fcntl.h>
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
#include <string>
#include <thread>

namespace FileTest {

// A fresh folder under /tmp, removed with its contents at the end of the test.
class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/dravik-files-XXXXXX";
        char* made = mkdtemp(pattern);
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

// Runs the action in a child process and gives its result (98 when the child dies),
// for actions that change the process for good.
inline int runInChild(std::function<int()> const& action)
{
    pid_t child = fork();
    if (child == 0)
        _exit(action());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
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
