#include "foundation/ExecuteFile.h"

#include "foundation/FileUtils.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>

extern char** environ;

namespace Tr {

namespace {

char const* openerProgram()
{
    char const* opener = std::getenv("DRAVIK_OPENER");
    return opener != nullptr && opener[0] != 0 ? opener : "xdg-open";
}

// A name that begins with '-' would be taken for an option.
std::string asOperand(char const* path)
{
    std::string operand(path);
    if (operand[0] == '-')
        operand.insert(0, "./");
    return operand;
}

bool exitedWithSuccess(pid_t child)
{
    int status = 0;
    pid_t result;
    do
        result = waitpid(child, &status, 0);
    while (result < 0 && errno == EINTR);
    return result == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The executable of an application bundle ("X.app" holding Contents/MacOS/X),
// or empty when the path is no such bundle.
std::string bundleExecutable(BString const& path)
{
    BString bundle = path;
    while (bundle.length() > 1 && bundle.endsWith('/'))
        bundle.setLength(bundle.length() - 1);
    if (!DirExists(bundle) || bundle.extractFileExtension() != ".app")
        return std::string();
    BString executable = bundle + "/Contents/MacOS/" + bundle.extractFileNameWithoutExtension();
    if (!FileExists(executable) || access(executable.toUTF8(), X_OK) != 0)
        return std::string();
    return executable.toUTF8();
}

// The process a helper waits for before it starts a program: its process
// descriptor when the kernel gives one (-1 otherwise), and its id (0: none).
struct AwaitedProcess
{
    int descriptor = -1;
    pid_t pid = 0;
};

AwaitedProcess awaitedProcess(pid_t pid)
{
    AwaitedProcess awaited;
    awaited.descriptor = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    // ESRCH: it has ended already.
    if (awaited.descriptor >= 0 || errno != ESRCH)
        awaited.pid = pid;
    return awaited;
}

// Runs in the helper after fork: only async-signal-safe calls. The process
// descriptor becomes readable when the process has ended; without one the
// helper asks every 50 ms whether the process still exists.
void waitFor(AwaitedProcess const& awaited)
{
    if (awaited.pid == 0)
        return;
    if (awaited.descriptor >= 0) {
        pollfd ended = { awaited.descriptor, POLLIN, 0 };
        int result;
        do
            result = poll(&ended, 1, -1);
        while (result < 0 && errno == EINTR);
        if (result > 0)
            return;
    }
    timespec const pause = { 0, 50 * 1000 * 1000 };
    while (kill(awaited.pid, 0) == 0 || errno == EPERM)
        nanosleep(&pause, nullptr);
}

// Runs in the helper after fork. The started program inherits only the
// standard streams: an inherited descriptor of this process (its
// single-instance lock, say) must not outlive it in the new program.
void closeInheritedFiles(AwaitedProcess& awaited, int limit)
{
    int first = 3;
    if (awaited.descriptor >= 0) {
        if (awaited.descriptor != first)
            awaited.descriptor = dup2(awaited.descriptor, first) == first ? first : -1;
        if (awaited.descriptor == first)
            ++first;
    }
    if (close_range(static_cast<unsigned>(first), ~0u, 0) != 0)
        for (int fd = first; fd < limit; ++fd)
            close(fd);
}

int openFileLimit()
{
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 65536)
        return 65536;
    return static_cast<int>(limit.rlim_cur);
}

// Starts the program in a session of its own without waiting for it, as the
// desktop launches an application, once the awaited process has ended; an
// intermediate child exits at once so that no zombie is left. True when the
// helper that starts the program could be started.
bool launchDetached(std::string const& program, AwaitedProcess awaited = {})
{
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    int limit = openFileLimit();
    pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        setsid();
        pid_t grandchild = fork();
        if (grandchild == 0) {
            closeInheritedFiles(awaited, limit);
            waitFor(awaited);
            if (awaited.descriptor >= 0)
                close(awaited.descriptor);
            execve(argv[0], argv, environ);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    return exitedWithSuccess(child);
}

// Runs the desktop's opener with the path as its one argument and waits for it.
bool runOpener(BString const& file)
{
    std::string program = openerProgram();
    std::string operand = asOperand(file.toUTF8());
    char* argv[] = {&program[0], &operand[0], nullptr};
    pid_t child;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    return exitedWithSuccess(child);
}

} // namespace

int ExecuteFile(BString const& file, BString const& /*parameters*/, BString const& /*folder*/)
{
    if (file.isEmpty())
        return 0;
    std::string executable = bundleExecutable(file);
    return executable.empty() ? runOpener(file) : launchDetached(executable);
}

int ExecuteFileAfterExit(BString const& file, int pid)
{
    std::string executable = bundleExecutable(file);
    if (executable.empty())
        return 0;
    AwaitedProcess awaited = awaitedProcess(pid);
    bool started = launchDetached(executable, awaited);
    if (awaited.descriptor >= 0)
        close(awaited.descriptor);
    return started;
}

} // namespace Tr
