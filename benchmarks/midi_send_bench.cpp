// Sending the settings: TMidiOutputMac::SendLong of the 690-byte System
// Exclusive message through the virtual back-end, which records every packet.
// The packets are stamped at the wire rate of MIDI (SendStamps.h): two sends in
// a row are 220.8 ms apart. The spacing is reported as a counter; any other
// spacing is an error of the run.
#include "benchmarks/SendStamps.h"
#include "midi/coremidi/MidiMacFactory.h"
#include "midi/coremidi/TMidiOutputMac.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int messageLength = 690;
// The back-end keeps every packet: a run sends this many, 6.9 MB.
constexpr int sendsPerRun = 10000;

std::vector<unsigned char> settingsMessage()
{
    std::vector<unsigned char> data(messageLength);
    for (int i = 0; i < messageLength; ++i)
        data[std::size_t(i)] = static_cast<unsigned char>(i % 128);
    data.front() = 0xF0;
    data.back() = 0xF7;
    return data;
}

// An emptied virtual back-end with one destination, and an output open on it.
struct OpenOutput {
    VirtualMidiBackend& midi;
    std::unique_ptr<Tr::TMidiOutputMac> output;

    OpenOutput() : midi(backend())
    {
        midi.reset();
        VirtualMidiPort port;
        port.name = "Dravik";
        port.uniqueId = 7001;
        port.entityId = 7002;
        port.deviceId = 7003;
        midi.add(kMIDIObjectType_Destination, port);
        Tr::MidiMacFactory& factory = *Tr::MidiMacFactory::instance();
        factory.InvalidateCache();
        Tr::BOwnedList<Tr::MidiDeviceDescriptor*> list;
        factory.GetDeviceList(0, list);
        if (list.count == 1)
            output.reset(dynamic_cast<Tr::TMidiOutputMac*>(factory.CreateDevice(list.items[0])));
        if (output)
            output->Open();
    }

    static VirtualMidiBackend& backend()
    {
        setenv("DRAVIK_MIDI_BACKEND", "virtual", 1);
        return *virtualMidiBackend();
    }
};

// A fresh output each run, so that its first two sends are two sends in a row
// on an idle port; every packet of the run is checked after the loop. The
// counter is set also on an error: every run of a program reports the same ones.
void sendLong(benchmark::State& state)
{
    OpenOutput open;
    state.counters["stamp_spacing_ms"] = 0;
    if (!open.output || !open.output->IsOpen()) {
        state.SkipWithError("the output did not open");
        return;
    }
    std::vector<unsigned char> data = settingsMessage();
    MIDITimeStamp const start = AudioGetCurrentHostTime();
    for (auto _ : state)
        if (!open.output->SendLong(data.data(), messageLength)) {
            state.SkipWithError("a send failed");
            break;
        }
    std::vector<VirtualMidiPacket> const packets = open.midi.sent();
    state.counters["stamp_spacing_ms"] = sendstamps::firstSpacingMillis(packets);
    state.SetBytesProcessed(state.iterations() * messageLength);
    std::string const error = sendstamps::error(packets, data, start);
    if (!error.empty() && !state.error_occurred())
        state.SkipWithError(error.c_str());
}

BENCHMARK(sendLong)->Iterations(sendsPerRun);

} // namespace
