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
    else {
        std::fprintf(stderr, "DRAVIK_VIRTUAL_MIDI_CONTROL: not a command: %s\n", line.c_str());
        return false;
    }
    return true;
}

// Reads commands from the pipe until it is destroyed. Opened for writing as well,
// so that the pipe never reads as ended when a writer closes it.
class ControlPipe {
public:
    ControlPipe(VirtualMidiBackend& backend, int fd) : backend(backend), fd(fd)
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
                runCommand(backend, line);
        }
    }

    VirtualMidiBackend& backend;
    int const fd;
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
    int fd = ::open(control, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        std::fprintf(stderr, "DRAVIK_VIRTUAL_MIDI_CONTROL: cannot open %s: %s\n", control, std::strerror(errno));
    else
        controlPipe() = std::make_unique<ControlPipe>(backend, fd);
}
