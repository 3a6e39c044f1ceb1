// The MIDI manager's rescans over the virtual back-end with 64 ports each way:
// the forced rescan that a device change brings, the unforced one that finds
// nothing changed, and a burst of 1 000 device-change notifications as the
// program hears them. Goal for the burst: exactly one rescan, and under 50 ms
// of CPU time of the whole process from its first notification to the end of
// that rescan (the 600 ms of quiet before it cost no CPU).
#include "foundation/MsgQueue.h"
#include "midi/MidiManager.h"
#include "midi/MIDIDevChangeNotifier.h"
#include "platform/coremidi/VirtualMidiBackend.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

constexpr int portCount = 64;
// A device with one source and one destination plugged in and out this many
// times: four device-change notifications a round.
constexpr int burstRounds = 250;

VirtualMidiPort benchPort(std::string const& name, SInt32 id)
{
    VirtualMidiPort port;
    port.name = name;
    port.model = id % 2 ? "Bench Interface" : "";
    port.manufacturer = "Bench";
    port.uniqueId = id;
    port.entityId = id + 1;
    port.deviceId = id + 2;
    return port;
}

// Polls, with a pause between looks, until the condition holds; throws after 10 s.
template <class Condition>
void waitFor(Condition const& condition, char const* what)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error(std::string("gave up waiting for ") + what);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The virtual back-end with 64 ports each way, plugged in before the manager
// exists (so that no notification is pending), and the manager, awake, with
// its notification client made and the first output open, as in the program
// with a port chosen.
struct Setup {
    VirtualMidiBackend* midi = nullptr;
    Tr::MidiManager* manager = nullptr;

    Setup()
    {
        setenv("DRAVIK_MIDI_BACKEND", "virtual", 1);
        midi = virtualMidiBackend();
        midi->reset();
        for (int i = 0; i < portCount; ++i) {
            std::string name = "Port " + std::to_string(i + 1);
            midi->add(kMIDIObjectType_Source, benchPort(name, 1000 + 10 * i));
            midi->add(kMIDIObjectType_Destination, benchPort(name, 5000 + 10 * i));
        }
        manager = Tr::MidiManager::instance();
        manager->SetSuspended(0);
        Tr::MIDIDevChangeNotifier& notifier = *manager->GetNotifier();
        waitFor([&] { return notifier.GetClient() != 0 && !notifier.isArmed(); }, "the notification client");
        if (manager->GetDevCount(0) != portCount || manager->GetDevCount(1) != portCount)
            throw std::runtime_error("the manager does not list the 64 ports each way");
        manager->Open(0, 0, 1);
    }
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

// Counts the rescans through the device-list listener, as the port box hears
// them. Lives as long as the program: a failed wait may leave its posted
// closure behind.
class RescanCounter : public Tr::TMidiDeviceListListener {
public:
    void OnMidiDeviceListChanged() override
    {
        std::lock_guard<std::mutex> hold(lock);
        ++rescans;
        changed.notify_all();
    }

    // The rescans heard so far.
    int heard()
    {
        std::lock_guard<std::mutex> hold(lock);
        return rescans;
    }

    // Returns once the message-queue thread has delivered every notification
    // posted before this call, and a rescan has ended since the count was
    // heardBefore, with none due.
    void settle(Tr::MIDIDevChangeNotifier const& notifier, int heardBefore)
    {
        EventQueueRef queue;
        {
            Tr::BLockHolder hold(Tr::g_BMsgQueueThreadLock);
            queue = Tr::g_BMsgQueueThread ? Tr::g_BMsgQueueThread->getRunLoop() : nullptr;
        }
        {
            std::lock_guard<std::mutex> hold(lock);
            delivered = false;
        }
        if (PostClosureToQueue(queue, [this] {
                std::lock_guard<std::mutex> hold(lock);
                delivered = true;
                changed.notify_all();
            }) != 0)
            throw std::runtime_error("the message-queue thread is gone");
        {
            std::unique_lock<std::mutex> hold(lock);
            if (!changed.wait_for(hold, std::chrono::seconds(10), [&] { return delivered && rescans > heardBefore; }))
                throw std::runtime_error("no rescan followed the burst");
        }
        // The timer is disarmed once the callback that rescanned returns; armed
        // again, by a notification delivered during the rescan, it rescans again.
        waitFor([&] { return !notifier.isArmed(); }, "the end of the rescans");
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    int rescans = 0;
    bool delivered = false;
};

RescanCounter& rescanCounter()
{
    static RescanCounter* const counter = new RescanCounter;
    return *counter;
}

// Every benchmark here reports the rescans that the listener heard per
// iteration; other than expected, they make the run an error.
void reportRescans(benchmark::State& state, int rescans, int expectedPerIteration)
{
    double const perIteration = double(rescans) / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["rescans"] = perIteration;
    if (rescans != expectedPerIteration * state.iterations() && !state.error_occurred())
        state.SkipWithError(("the listener heard " + std::to_string(perIteration) + " rescans an iteration, not " +
                             std::to_string(expectedPerIteration))
                                .c_str());
}

// Runs the benchmark's loop with the rescan counter listening.
template <class Loop>
void countingRescans(benchmark::State& state, int expectedPerIteration, Loop const& loop)
{
    Tr::MidiManager& manager = *setup().manager;
    RescanCounter& counter = rescanCounter();
    manager.AddDevListChangeListener(&counter);
    int const before = counter.heard();
    loop(manager, counter);
    manager.RemoveDevListChangeListener(&counter);
    reportRescans(state, counter.heard() - before, expectedPerIteration);
}

// Forced, a rescan rebuilds every descriptor and tells the listeners.
void forcedRescanOf64Ports(benchmark::State& state)
{
    countingRescans(state, 1, [&](Tr::MidiManager& manager, RescanCounter&) {
        for (auto _ : state)
            benchmark::DoNotOptimize(manager.RefreshDevList(1, 0, 1));
    });
}

// Unforced, it counts the ports, finds the counts unchanged and tells no one.
void unforcedRescanOf64UnchangedPorts(benchmark::State& state)
{
    countingRescans(state, 0, [&](Tr::MidiManager& manager, RescanCounter&) {
        for (auto _ : state)
            benchmark::DoNotOptimize(manager.RefreshDevList(0, 0, 1));
    });
}

// One burst an iteration: a device of one source and one destination plugged in
// and out 250 times, 1 000 object-added and object-removed notifications (each
// followed by a setup-changed one, as CoreMIDI sends them), delivered through
// the notification client on the message-queue thread; then the one rescan,
// 600 ms later. Process CPU time, so the delivery and the rescan count on
// whichever thread they run.
void burstOf1000Notifications(benchmark::State& state)
{
    Setup& bench = setup();
    countingRescans(state, 1, [&](Tr::MidiManager& manager, RescanCounter& counter) {
        for (auto _ : state) {
            int const before = counter.heard();
            for (int round = 0; round < burstRounds; ++round) {
                MIDIEndpointRef source = bench.midi->add(kMIDIObjectType_Source, benchPort("Flapping", 90000));
                MIDIEndpointRef destination =
                    bench.midi->add(kMIDIObjectType_Destination, benchPort("Flapping", 90010));
                bench.midi->remove(source);
                bench.midi->remove(destination);
            }
            try {
                counter.settle(*manager.GetNotifier(), before);
            } catch (std::runtime_error const& error) {
                state.SkipWithError(error.what());
                break;
            }
        }
    });
}

BENCHMARK(forcedRescanOf64Ports)->Unit(benchmark::kMicrosecond);
BENCHMARK(unforcedRescanOf64UnchangedPorts)->Unit(benchmark::kMicrosecond);
// Each burst waits out the 600 ms of quiet, so a few bursts a run suffice.
BENCHMARK(burstOf1000Notifications)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
