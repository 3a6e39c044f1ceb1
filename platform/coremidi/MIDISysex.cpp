#include "platform/coremidi/MIDIServices.h"

#include "platform/carbon/CarbonEvents.h"
#include "platform/coremidi/MidiBackend.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Sends queued requests one at a time on its own thread, through an output port of
// a client of its own, made at the first request.
class SysexSender {
public:
    SysexSender() = default;
    SysexSender(SysexSender const&) = delete;
    SysexSender& operator=(SysexSender const&) = delete;

    // Ends and joins the thread; requests still queued are dropped.
    ~SysexSender()
    {
        {
            std::lock_guard<std::mutex> hold(lock);
            stopping = true;
        }
        wake.notify_all();
        if (thread.joinable())
            thread.join();
    }

    void queue(MIDISysexSendRequest* request)
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!thread.joinable())
            thread = std::thread([this] { run(); });
        requests.push_back(request);
        wake.notify_all();
    }

private:
    void run()
    {
        for (;;) {
            MIDISysexSendRequest* request = nullptr;
            {
                std::unique_lock<std::mutex> hold(lock);
                wake.wait(hold, [this] { return stopping || !requests.empty(); });
                if (stopping)
                    return;
                request = requests.front();
                requests.pop_front();
            }
            if (send(*request) == 0)
                request->bytesToSend = 0;
            request->complete = true;
            if (request->completionProc)
                request->completionProc(request);
        }
    }

    OSStatus send(MIDISysexSendRequest const& request)
    {
        if (!port) {
            OSStatus status = midiBackend().createClient("MIDISendSysex", nullptr, client);
            if (status == 0)
                status = client->createOutputPort("MIDISendSysex", port);
            if (status != 0)
                return status;
        }
        return port->send(request.destination, 0, request.data, request.bytesToSend);
    }

    std::mutex lock;
    std::condition_variable wake;
    std::deque<MIDISysexSendRequest*> requests;
    bool stopping = false;
    std::thread thread;
    // Used by the sending thread only; the port goes before its client.
    std::unique_ptr<MidiBackendClient> client;
    std::unique_ptr<MidiBackendOutputPort> port;
};

} // namespace

OSStatus MIDISendSysex(MIDISysexSendRequest* request)
{
    if (!request || (!request->data && request->bytesToSend > 0))
        return paramErr;
    // Destroyed at exit, which ends its thread.
    static SysexSender sender;
    sender.queue(request);
    return 0;
}
