// Closing the editor's window while SEND waits for the device, and while a rescan
// of the MIDI ports runs, a hundred times each. Every run is a child process that
// ends as the application does: the close button, then the window deleted, whose
// panel writes the ini file and ends the process's MIDI layer. The close must be
// over within a second, with the ini file written and every thread of the MIDI
// layer and of the timers joined.
#include "app/ComboBoxMidi.h"
#include "app/DravikWindow.h"
#include "app/IniPath.h"
#include "app/JuceUtils.h"
#include "app/editor/DravikContentPanel.h"
#include "foundation/BTimer.h"
#include "foundation/gui/JuceString.h"
#include "midi/MidiManager.h"
#include "midi/MIDIDevChangeNotifier.h"

#include "tests/app/editor/gui/PanelTestSupport.h"
#include "tests/foundation/TestClock.h"
#include "tests/support/DispatchLoop.h"
#include "tests/support/ThreadNames.h"
#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

enum Result { Passed = 0, NotReady = 2, SlowClose = 3, IniNotWritten = 4, ThreadsLeft = 5, NoQuit = 6 };

char const* const port = "Dravik Box";
auto const closeBound = std::chrono::seconds(1);
// Names the file into which each run writes how long its close took (microseconds).
char const* const closeTimesVariable = "DRAVIK_CLOSE_TIMES";

[[noreturn]] void finish(Result result, std::string const& why = "")
{
    if (result != Passed)
        std::fprintf(stderr, "%s\n", why.c_str());
    std::fflush(nullptr);
    std::_Exit(result);
}

std::string joined(std::vector<std::string> const& names)
{
    std::string text;
    for (auto const& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

void require(bool condition, char const* why)
{
    if (!condition)
        finish(NotReady, why);
}

// The threads but JUCE's own, which JUCE ends at its end, in name order.
std::vector<std::string> ourThreads()
{
    std::vector<std::string> names = testthreads::threadNames();
    auto isJuces = [](std::string const& name) { return name.rfind("JUCE", 0) == 0; };
    names.erase(std::remove_if(names.begin(), names.end(), isJuces), names.end());
    std::sort(names.begin(), names.end());
    return names;
}

// Holds the rescan that reaches it until the close has begun, and then for a
// while longer, so that the close meets the rescan at a different point each run.
class RescanHolder : public Tr::TMidiDeviceListListener, public Tr::MidiManagerDeviceControlListener {
public:
    explicit RescanHolder(int holdMillis) : holdMillis(holdMillis) {}

    void OnMidiDeviceListChanged() override { hold(); }
    void OnAfterOpenMidiDevice(int, int) override {}
    void OnAfterCloseMidiDevice(int, int) override { hold(); }

    std::atomic<bool> reached{false};
    std::atomic<bool> closing{false};
    std::atomic<bool> released{false};

private:
    void hold()
    {
        if (reached.exchange(true))
            return;
        auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!closing && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(holdMillis));
        released = true;
    }

    int const holdMillis;
};

// Any timer started makes the timer thread look at the clock again.
struct ClockPoke : Tr::BTimer::Listener {
    void onTimer(Tr::BTimer*) override {}
    Tr::BTimer timer{this, 1, 0};
};

// One run: a fresh home, the port plugged in and chosen in a started window.
class EditorRun {
public:
    EditorRun() : midi(miditest::freshVirtualMidi())
    {
        // A run that hangs ends by the alarm's signal.
        alarm(20);
        home.createDirectory();
        ::setenv("HOME", home.getFullPathName().toRawUTF8(), 1);
        JuceUtils::setDialogHook([](JuceUtils::Dialog const&) { return JuceUtils::Yes; });
        for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination}) {
            VirtualMidiPort box;
            box.name = port;
            midi.add(type, box);
        }
        // A sanitizer's runtime starts a thread of its own with the first thread made.
        std::thread([] {}).join();
        threadsBefore = ourThreads();
        window = new DravikWindow("Dravik MIDI T");
        window->init("", false, false);
        panel = dynamic_cast<DravikContentPanel*>(window->getContent());
        require(panel && guitest::pumpUntil([this] { return panel->isStarted(); }, 10000), "the panel did not start");
        ComboBoxMidi* box = childrenOfType<ComboBoxMidi>(*panel).at(0);
        box->setSelectedItemIndex(1, juce::sendNotificationSync);
        require(box->getText() == port, "the port could not be chosen");
    }

    void unplug()
    {
        for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination})
            midi.remove(midi.find(type, port));
    }

    // The close button, then the end of the application: the window goes.
    Result close(std::atomic<bool>* closing = nullptr)
    {
        auto started = Clock::now();
        if (closing)
            *closing = true;
        window->closeButtonPressed();
        bool quit = juce::MessageManager::getInstance()->hasStopMessageBeenSent();
        delete window;
        auto took = Clock::now() - started;
        std::ofstream(std::getenv(closeTimesVariable), std::ios::app) << took / std::chrono::microseconds(1) << "\n";
        guitest::pumpUntil([] { return false; }, 20);

        juce::File ini(Tr::JuceStringFrom(perUserIniFilePath()));
        std::vector<std::string> threadsAfter = ourThreads();
        bool written = ini.loadFileAsString().contains(juce::String("Device0=2:") + port);
        home.deleteRecursively();
        if (!quit)
            finish(NoQuit, "the close button did not quit");
        if (took >= closeBound)
            finish(SlowClose, "the close took " + std::to_string(took / std::chrono::milliseconds(1)) + " ms");
        if (!written)
            finish(IniNotWritten, "the ini file does not name the port");
        // A thread that has just ended may still be listed before: only new ones count.
        if (!std::includes(threadsBefore.begin(), threadsBefore.end(), threadsAfter.begin(), threadsAfter.end()))
            finish(ThreadsLeft, "threads left: " + joined(threadsAfter) + " (before: " + joined(threadsBefore) + ")");
        return Passed;
    }

    VirtualMidiBackend& midi;
    juce::File home = juce::File::createTempFile("home");
    std::vector<std::string> threadsBefore;
    DravikWindow* window = nullptr;
    DravikContentPanel* panel = nullptr;
};

class CloseDuringMidi : public ::testing::Test {
protected:
    // The runs inherit the file's name; they are this test again, up to their death test.
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        if (!std::getenv(closeTimesVariable))
            ::setenv(closeTimesVariable, juce::File::createTempFile("close-times").getFullPathName().toRawUTF8(), 1);
    }

    // How long the closes took, for the record.
    void TearDown() override
    {
        std::vector<long> times;
        std::ifstream in(std::getenv(closeTimesVariable));
        for (long micros; in >> micros;)
            times.push_back(micros);
        std::remove(std::getenv(closeTimesVariable));
        ::unsetenv(closeTimesVariable);
        std::sort(times.begin(), times.end());
        if (!times.empty())
            std::printf("%zu closes: median %ld us, longest %ld us\n", times.size(), times[times.size() / 2],
                        times.back());
    }

    static constexpr int runs = 100;
};

} // namespace

TEST_F(CloseDuringMidi, WhileSendWaitsForTheDevice)
{
    for (int i = 0; i < runs; ++i) {
        EXPECT_EXIT(
            {
                EditorRun run;
                run.panel->send();
                require(run.midi.sent().size() == 1, "SEND sent nothing");
                require(guitest::pumpUntil([] { return testthreads::threadsNamed("BThreadTimer") == 1; }), "SEND is not waiting");
                guitest::pumpUntil([] { return false; }, i % 25);
                finish(run.close());
            },
            ::testing::ExitedWithCode(Passed), "")
            << "run " << i;
    }
}

// The port goes, and the rescan that the device-change timer runs for it is held
// on its way: where the port's device has closed, or where the device list has
// changed, by turns.
TEST_F(CloseDuringMidi, WhileARescanRuns)
{
    for (int i = 0; i < runs; ++i) {
        EXPECT_EXIT(
            {
                EditorRun run;
                RescanHolder holder(i / 2 % 50);
                Tr::MidiManager* manager = Tr::MidiManager::instance();
                if (i % 2)
                    manager->AddDevListChangeListener(&holder);
                else
                    manager->AddDeviceControlListener(&holder);
                TrTest::TestClock clock;
                run.unplug();
                Tr::MIDIDevChangeNotifier* notifier = manager->GetNotifier();
                require(guitest::pumpUntil([notifier] { return notifier->isArmed(); }), "no rescan was asked for");
                clock.advance(Tr::MIDIDevChangeNotifier::kSettleMillis);
                ClockPoke poke;
                poke.timer.start();
                require(guitest::pumpUntil([&holder] { return holder.reached.load(); }), "the rescan did not run");
                Result result = run.close(&holder.closing);
                require(holder.released, "the rescan never ended");
                finish(result);
            },
            ::testing::ExitedWithCode(Passed), "")
            << "run " << i;
    }
}
