// Measures one start and close of a window program on the X server $DISPLAY:
//
//     dravik_startup_probe SETTLE_MS IDLE_S PROGRAM [ARGUMENT...]
//
// starts the program, waits for its window to be mapped, lets it settle for
// SETTLE_MS, measures the CPU time it uses over IDLE_S seconds (0: not at all),
// asks its window to close as a window manager does (WM_PROTOCOLS carrying
// WM_DELETE_WINDOW) and waits for it to exit. Prints one line:
//
//     map_ms=... map_cpu_ms=... close_ms=... close_cpu_ms=... peak_rss_kb=... cpu_s=... idle_cpu_s=...
//
// and after an idle span one more line for each thread alive at its end, with
// the CPU time and the wake-ups (sleeps it came back from: voluntary context
// switches) of that thread over the span, the name's blanks made underscores:
//
//     thread=JUCE_Timer thread_cpu_s=... thread_wakeups=...
//
// Times come from the monotonic clock: map_ms from the fork to the MapNotify of
// the program's window, close_ms from the close request to the exit. The
// _cpu_ms values and cpu_s are the CPU time of the program's own threads in the
// same spans and in the whole run (less disturbed by a busy machine than the
// clock; processes it starts, such as the gsettings JUCE asks for the theme,
// are not counted). The peak RSS comes from wait4: the largest of the program
// and the processes it waited for (gsettings takes 6 MB, less than any window).
// Exit status 0 when the program ended with status 0, 1 otherwise or on any
// failure.
//
// The close request is sent from here, with the black-box tests' own code,
// rather than by running their x11_helper: the clock must start when the
// request leaves, and a helper process takes milliseconds to start and end.
#include "tests/e2e/x11_client_message.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

constexpr int timeoutMs = 30000;
constexpr int nudgeEveryMs = 10;

double nowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

[[noreturn]] void fail(char const* what)
{
    std::fprintf(stderr, "dravik_startup_probe: %s\n", what);
    std::exit(1);
}

pid_t start(char** argv)
{
    pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    if (pid < 0)
        fail("cannot fork");
    return pid;
}

// A nudge: an event the program ignores, sent while waiting for it to react.
// JUCE waits for X events on the connection's socket; an event that Xlib took
// into its queue during another request waits there until the next one comes,
// which on a bare server may be never (see tests/e2e/lib.sh).
void nudge(Display* display, Window window)
{
    sendClientMessage(display, window, "DRAVIK_E2E_NUDGE", "DRAVIK_E2E_NUDGE");
}

// Errors for a window that is gone already (a nudge after the close) are expected.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

// Waits up to timeout ms until the process has ended (its pidfd is readable).
bool waitForExit(int pidfd, int timeout)
{
    pollfd p = {pidfd, POLLIN, 0};
    int n;
    while ((n = poll(&p, 1, timeout)) < 0 && errno == EINTR) {
    }
    return n > 0;
}

bool ownedBy(Display* display, Window window, pid_t pid)
{
    Atom const pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    bool owned = pidAtom != None
                 && XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                                       &left, &data) == Success
                 && data != nullptr && count == 1 && format == 32
                 && *reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(pid);
    if (data != nullptr)
        XFree(data);
    return owned;
}

// The program's top-level window, once the server has mapped it.
Window waitForWindow(Display* display, pid_t pid, int pidfd)
{
    double const deadline = nowMs() + timeoutMs;
    pollfd p = {ConnectionNumber(display), POLLIN, 0};
    while (nowMs() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect && ownedBy(display, event.xmap.window, pid))
                return event.xmap.window;
        }
        if (waitForExit(pidfd, 0))
            fail("the program ended without mapping a window");
        poll(&p, 1, 10);
    }
    fail("no window within the timeout");
}

// The process's CPU time in seconds, all threads, ended ones included.
double cpuSeconds(pid_t pid)
{
    clockid_t clock;
    timespec t;
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0)
        fail("cannot read the program's CPU clock");
    return t.tv_sec + t.tv_nsec / 1e9;
}

struct ThreadTimes {
    std::string name;
    double cpuSeconds = 0;
    long wakeups = 0;
};

// The threads of the process by id, from /proc: the CPU time the scheduler
// counts in nanoseconds (schedstat) and the voluntary context switches.
std::map<long, ThreadTimes> threadTimes(pid_t pid)
{
    std::map<long, ThreadTimes> threads;
    std::error_code error;
    for (auto const& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        ThreadTimes times;
        std::getline(std::ifstream(task.path() / "comm"), times.name);
        std::replace(times.name.begin(), times.name.end(), ' ', '_');
        unsigned long long nanos = 0;
        if (std::ifstream(task.path() / "schedstat") >> nanos)
            times.cpuSeconds = double(nanos) / 1e9;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                times.wakeups = std::atol(line.c_str() + line.find(':') + 1);
        if (!times.name.empty())
            threads[std::stol(task.path().filename())] = times;
    }
    return threads;
}

void sleepMs(int ms)
{
    timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fputs("usage: dravik_startup_probe SETTLE_MS IDLE_S PROGRAM [ARGUMENT...]\n", stderr);
        return 2;
    }
    int const settleMs = std::atoi(argv[1]);
    int const idleSeconds = std::atoi(argv[2]);

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        fail("cannot open the display");
    fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
    XSetErrorHandler(ignoreErrors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    double const started = nowMs();
    pid_t const pid = start(argv + 3);
    // Through syscall: Debian 12's <sys/pidfd.h> declares pidfd_open without C linkage.
    int const pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0)
        fail("cannot watch the program (pidfd_open)");
    Window const window = waitForWindow(display, pid, pidfd);
    double const mapMs = nowMs() - started;
    double const mapCpu = cpuSeconds(pid);

    sleepMs(settleMs);
    double idleCpu = 0;
    std::map<long, ThreadTimes> threadsBefore, threadsAfter;
    if (idleSeconds > 0) {
        threadsBefore = threadTimes(pid);
        double const before = cpuSeconds(pid);
        if (waitForExit(pidfd, idleSeconds * 1000))
            fail("the program ended while idle");
        idleCpu = cpuSeconds(pid) - before;
        threadsAfter = threadTimes(pid);
    }

    double const cpuBeforeClose = cpuSeconds(pid);
    double const closeRequested = nowMs();
    sendClientMessage(display, window, "WM_PROTOCOLS", "WM_DELETE_WINDOW");
    while (!waitForExit(pidfd, nudgeEveryMs)) {
        if (nowMs() - closeRequested > timeoutMs) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            fail("the program did not exit after the close request");
        }
        nudge(display, window);
    }
    double const closeMs = nowMs() - closeRequested;
    // Read before wait4 reaps it: the clock of a process that has ended still
    // holds its final CPU time until then.
    double const cpu = cpuSeconds(pid);

    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        fail("cannot collect the program's exit");
    std::printf("map_ms=%.1f map_cpu_ms=%.1f close_ms=%.1f close_cpu_ms=%.1f peak_rss_kb=%ld cpu_s=%.3f "
                "idle_cpu_s=%.4f\n",
                mapMs, mapCpu * 1e3, closeMs, (cpu - cpuBeforeClose) * 1e3, usage.ru_maxrss, cpu, idleCpu);
    for (auto const& [id, after] : threadsAfter) {
        ThreadTimes const before = threadsBefore.count(id) ? threadsBefore[id] : ThreadTimes{};
        std::printf("thread=%s thread_cpu_s=%.4f thread_wakeups=%ld\n", after.name.c_str(),
                    after.cpuSeconds - before.cpuSeconds, after.wakeups - before.wakeups);
    }
    XCloseDisplay(display);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
