#include "platform/coremidi/VirtualMidiEnvironment.h"

#include "platform/coremidi/MidiUniqueId.h"
#include "platform/coremidi/PollWaker.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

void addPortPair(VirtualMidiBackend& backend, std::string const& name)
{
    VirtualMidiPort port;
    port.name = name;
    port.entityId = midiUniqueId("entity", name);
    port.deviceId = midiUniqueId("device", name);
    port.uniqueId = midiUniqueId("source", name);
    backend.add(kMIDIObjectType_Source, port);
    port.uniqueId = midiUniqueId("destination", name);
    backend.add(kMIDIObjectType_Destination, port);
}

void removePortPair(VirtualMidiBackend& backend, std::string const& name)
{
    for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination})
        if (MIDIEndpointRef endpoint = backend.find(type, name))
            backend.remove(endpoint);
}

bool parseStatus(std::string const& text, OSStatus& status)
{
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX)
        return false;
    status = OSStatus(value);
    return true;
}

bool runCommand(VirtualMidiBackend& backend, std::string const& line)
{
    auto argument = [&line](char const* command) -> char const* {
        size_t length = std::strlen(command);
        return line.compare(0, length, command) == 0 && line.size() > length ? line.c_str() + length : nullptr;
    };
    OSStatus status = 0;
    if (char const* name = argument("add "))
        addPortPair(backend, name);
    else if (char const* name = argument("remove "))
        removePortPair(backend, name);
    else if (char const* text = argument("fail-send ") ; text && parseStatus(text, status))
        backend.fail(VirtualMidiCall::Send, status);
    else if (line == "ok-send")
        backend.fail(VirtualMidiCall::Send, 0);
    else if (line == "hold-changes" || line == "release-changes")
        backend.holdChanges(line == "hold-changes");
    else {
        std::fprintf(stderr, "DRAVIK_VIRTUAL_MIDI_CONTROL: not a command: %s\n", line.c_str());
        return false;
    }
    return true;
}

// Opens a named pipe for reading and writing, so that neither side's open waits
// for the other and the pipe never reads as ended when a writer closes it; -1 and
// a message when it cannot be opened.
int openPipe(char const* variable, char const* path)
{
    int fd = ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        std::fprintf(stderr, "%s: cannot open %s: %s\n", variable, path, std::strerror(errno));
    return fd;
}

// Reads commands from the pipe until it is destroyed, and answers each on the
// reply pipe, when there is one, once it has been carried out: "ok" or "error".
class ControlPipe {
public:
    ControlPipe(VirtualMidiBackend& backend, int fd, int replyFd) : backend(backend), fd(fd), replyFd(replyFd)
    {
        if (waker.valid())
            reader = std::thread([this] { run(); });
    }

    ControlPipe(ControlPipe const&) = delete;
    ControlPipe& operator=(ControlPipe const&) = delete;

    ~ControlPipe()
    {
        if (reader.joinable()) {
            waker.wake();
            reader.join();
        }
        ::close(fd);
        if (replyFd >= 0)
            ::close(replyFd);
    }

private:
    void run()
    {
        std::string pending;
        std::vector<pollfd> watched = {{fd, POLLIN, 0}};
        while (waker.wait(watched)) {
            char buffer[512];
            ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (got <= 0)
                return;
            pending.append(buffer, size_t(got));
            runCompleteLines(pending);
        }
    }

    void runCompleteLines(std::string& pending)
    {
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                reply(runCommand(backend, line) ? "ok\n" : "error\n");
        }
    }

    // A reply that finds the pipe full is dropped: nobody is reading the replies.
    void reply(char const* text)
    {
        if (replyFd >= 0 && ::write(replyFd, text, std::strlen(text)) < 0 && errno != EAGAIN)
            std::fprintf(stderr, "DRAVIK_VIRTUAL_MIDI_REPLY: %s\n", std::strerror(errno));
    }

    VirtualMidiBackend& backend;
    int const fd;
    int const replyFd;
    PollWaker waker;
    std::thread reader;
};

// Destroyed at exit, which ends and joins the reader.
std::unique_ptr<ControlPipe>& controlPipe()
{
    static std::unique_ptr<ControlPipe> pipe;
    return pipe;
}

} // namespace

void applyVirtualMidiEnvironment(VirtualMidiBackend& backend)
{
    if (char const* ports = std::getenv("DRAVIK_VIRTUAL_MIDI_PORTS")) {
        std::string names = ports;
        for (size_t start = 0, end; start <= names.size(); start = end + 1) {
            end = std::min(names.find(';', start), names.size());
            if (end > start)
                addPortPair(backend, names.substr(start, end - start));
        }
    }
    char const* log = std::getenv("DRAVIK_VIRTUAL_MIDI_LOG");
    if (log && *log && !backend.logTo(log))
        std::fprintf(stderr, "DRAVIK_VIRTUAL_MIDI_LOG: cannot open %s: %s\n", log, std::strerror(errno));
    char const* control = std::getenv("DRAVIK_VIRTUAL_MIDI_CONTROL");
    if (!control || !*control)
        return;
    int fd = openPipe("DRAVIK_VIRTUAL_MIDI_CONTROL", control);
    if (fd < 0)
        return;
    char const* reply = std::getenv("DRAVIK_VIRTUAL_MIDI_REPLY");
    int replyFd = reply && *reply ? openPipe("DRAVIK_VIRTUAL_MIDI_REPLY", reply) : -1;
    controlPipe() = std::make_unique<ControlPipe>(backend, fd, replyFd);
}
