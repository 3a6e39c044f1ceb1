#pragma once

// A client of the ALSA back-end: a sequencer client of its own with its ports. One
// reader thread, started when the client has a notify procedure or its first input
// port, reads everything the kernel delivers to the client: announcements, which
// become the changes its events hear of, and the input of the connected sources,
// which reaches the input ports' sinks. The thread is joined when the client goes,
// so the client is not to be disposed of from its own read procedure.

#include "platform/coremidi/AlsaMidiBackend.h"
#include "platform/coremidi/AlsaMidiCodec.h"
#include "platform/coremidi/PollWaker.h"

#include <list>
#include <map>
#include <mutex>
#include <thread>

class AlsaMidiClient : public MidiBackendClient {
public:
    // Takes the sequencer client, which it closes when it goes.
    AlsaMidiClient(AlsaMidiBackend& backend, snd_seq_t* seq, MidiClientEvents* events);
    ~AlsaMidiClient() override;

    // False when the client could not be set up (its announcements, its thread).
    bool ready() const { return isReady; }

    OSStatus createOutputPort(std::string const& name, std::unique_ptr<MidiBackendOutputPort>& port) override;
    OSStatus createInputPort(std::string const& name, MidiInputSink& sink,
                             std::unique_ptr<MidiBackendInputPort>& port) override;

private:
    class OutputPort;
    class InputPort;

    bool startReader();
    void run();
    void announce(snd_seq_event_t const& event);
    void receive(snd_seq_event_t const& event);
    void forget(InputPort* port);

    AlsaMidiBackend& backend;
    snd_seq_t* const seq;
    MidiClientEvents* const events;
    bool isReady = false;
    int announcePort = -1;
    // Our clients as the announcements read so far leave them; the reader's own.
    std::set<int> ours;

    // Held while a port sends: alsa-lib sends through one buffer of the client.
    std::mutex sendLock;
    // Guards the input ports with their connections, and the reader's start.
    std::mutex portsLock;
    std::map<int, InputPort*> inputs;
    // Held while input is handed to a sink and while an input port goes, so that it
    // goes only after a running sink returned; recursive, as the sink may dispose
    // of its own port.
    std::recursive_mutex delivery;

    PollWaker waker;
    std::thread reader;
};
