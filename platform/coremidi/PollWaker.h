#pragma once

#include <poll.h>

#include <vector>

// Lets a thread that waits in poll for its descriptors be woken by another thread,
// which is how the stand-in's reader threads are told to end.
class PollWaker {
public:
    PollWaker();
    ~PollWaker();
    PollWaker(PollWaker const&) = delete;
    PollWaker& operator=(PollWaker const&) = delete;

    // False when the wake-up pipe could not be made; wait then returns false at once.
    bool valid() const { return pipe[0] >= 0; }
    // Waits until one of the descriptors is ready (true, with their revents set), or
    // until wake() is called or poll fails (false). Signals do not end the wait.
    bool wait(std::vector<pollfd>& descriptors);
    // Every wait from now on returns false.
    void wake();

private:
    int pipe[2] = {-1, -1};
};
