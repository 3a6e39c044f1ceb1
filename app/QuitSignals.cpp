#include "app/QuitSignals.h"

#include <juce_events/juce_events.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

constexpr int signalCount = 2;
int const quitSignals[signalCount] = { SIGINT, SIGTERM };

// The handler only writes a byte into this pipe (safe in a signal handler); the
// message loop watches its other end.
int signalPipe[2] = { -1, -1 };
struct sigaction previousActions[signalCount];

void onSignal(int)
{
    int savedErrno = errno;
    char const byte = 'q';
    (void) !write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

QuitSignals::QuitSignals(std::function<void()> onQuitRequest)
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    juce::LinuxEventLoop::registerFdCallback(signalPipe[0], [onQuitRequest](int fd) {
        char bytes[16];
        while (read(fd, bytes, sizeof bytes) > 0) {
        }
        onQuitRequest();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < signalCount; ++i)
        sigaction(quitSignals[i], &action, &previousActions[i]);
}

QuitSignals::~QuitSignals()
{
    if (signalPipe[0] < 0)
        return;
    for (int i = 0; i < signalCount; ++i)
        sigaction(quitSignals[i], &previousActions[i], nullptr);
    juce::LinuxEventLoop::unregisterFdCallback(signalPipe[0]);
    close(signalPipe[0]);
    close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}
