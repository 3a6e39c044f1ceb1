#include "platform/coremidi/PollWaker.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

PollWaker::PollWaker()
{
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        pipe[0] = pipe[1] = -1;
}

PollWaker::~PollWaker()
{
    for (int fd : pipe)
        if (fd >= 0)
            ::close(fd);
}

bool PollWaker::wait(std::vector<pollfd>& descriptors)
{
    if (!valid())
        return false;
    std::vector<pollfd> watched = descriptors;
    watched.push_back({pipe[0], POLLIN, 0});
    int ready;
    while ((ready = ::poll(watched.data(), watched.size(), -1)) < 0 && errno == EINTR) {
    }
    if (ready < 0 || watched.back().revents)
        return false;
    for (size_t i = 0; i < descriptors.size(); ++i)
        descriptors[i].revents = watched[i].revents;
    return true;
}

void PollWaker::wake()
{
    // The byte is never read, so the pipe stays readable.
    char const stop = 0;
    while (valid() && ::write(pipe[1], &stop, 1) < 0 && errno == EINTR) {
    }
}
