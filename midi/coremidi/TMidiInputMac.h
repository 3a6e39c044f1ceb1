#pragma once

#include "midi/TMidiDevice.h"
#include "platform/coremidi/MIDIServices.h"

#include <atomic>

namespace Tr {

// A CoreMIDI source. Open finds the source; Start makes an input port of the
// global client connected to it, whose read procedure splits every packet into
// messages for the data listener.
class TMidiInputMac : public TMidiInputBase {
public:
    explicit TMidiInputMac(MidiDeviceDescriptor* desc);
    ~TMidiInputMac() override;

    void OpenImpl() override;
    int CloseImpl(void* handle) override;
    // Closes when the source is no longer the one opened.
    void VerifyOpenState() override;
    void Start() override;
    // 0 when not started, else the result of disposing of the port.
    int Stop() override;
    bool IsStarted() override;

private:
    static void ReadProc(MIDIPacketList const* list, void* readProcRefCon, void* srcConnRefCon);

    MIDIEndpointRef source() const;
    // Disconnects the port from the source and disposes of it, which waits for a
    // running read procedure.
    OSStatus disposePort(MIDIEndpointRef connected);

    std::atomic<MIDIPortRef> inputPort{0};
};

} // namespace Tr
