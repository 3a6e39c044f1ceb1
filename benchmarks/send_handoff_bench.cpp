// SEND as the user makes it: the editor's window with its settings panel, a port
// of the virtual MIDI back-end chosen in the port box, SEND clicked and its
// question answered Yes by the dialog hook. Measured: from that answer to the
// moment the 690 bytes have been handed to the back-end, that is when MIDISend
// returns (the linker wraps it here, see CMakeLists.txt). Goal: under 5 ms.
//
// Every packet of a run is checked after the loop: the stored form of the
// document, stamped at the wire rate of MIDI (SendStamps.h); sends come faster
// than the wire carries them, so each is stamped 220.8 ms after the previous one.
// The device's 6 s wait after each SEND is ended at once through the panel's
// timer callback, as its timer would end it; that part is not measured.
//
// The program runs as a JUCE application on $DISPLAY (scripts/bench gives it an
// Xvfb server of its own), with HOME a fresh folder, removed at the end.
#include "app/DravikWindow.h"
#include "app/JuceUtils.h"
#include "app/editor/DravikContentPanel.h"
#include "benchmarks/SendStamps.h"
#include "platform/coreaudio/HostTime.h"
#include "tests/support/DispatchLoop.h"
#include "tests/support/JuceApplicationMain.h"

#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

char const* const portName = "Dravik Box";
constexpr int sendsPerRun = 100;

// Set by the dialog hook as it answers SEND's question Yes, and by MIDISend as
// it returns; any other box is kept as unexpected.
std::optional<Clock::time_point> answered;
std::optional<Clock::time_point> handedOver;
std::string unexpectedBox;

JuceUtils::DialogReturnCode answerYes(JuceUtils::Dialog const& dialog)
{
    if (!dialog.yesNoCancel || !dialog.message.startsWith("Sending the data")) {
        unexpectedBox = dialog.message.toStdString();
        return JuceUtils::Cancel;
    }
    answered = Clock::now();
    return JuceUtils::Yes;
}

} // namespace

// The linker sends the program's calls of MIDISend here (--wrap): the back-end
// has the bytes once the real one returns.
extern "C" OSStatus __real__Z8MIDISendjjPK14MIDIPacketList(MIDIPortRef port, MIDIEndpointRef destination,
                                                           MIDIPacketList const* list);

extern "C" OSStatus __wrap__Z8MIDISendjjPK14MIDIPacketList(MIDIPortRef port, MIDIEndpointRef destination,
                                                           MIDIPacketList const* list)
{
    OSStatus status = __real__Z8MIDISendjjPK14MIDIPacketList(port, destination, list);
    handedOver = Clock::now();
    return status;
}

namespace {

template <class T>
T* childOf(juce::Component& parent, std::function<bool(T&)> const& wanted)
{
    for (auto* child : parent.getChildren())
        if (auto* found = dynamic_cast<T*>(child); found != nullptr && wanted(*found))
            return found;
    throw std::runtime_error("the panel lacks a control this benchmark uses");
}

// The editor's window, started, with the port chosen; made at the first run and
// kept to the end of the program, since the panel ends the MIDI layer as it goes.
class Editor {
public:
    Editor() : window(std::make_unique<DravikWindow>("Dravik MIDI T"))
    {
        JuceUtils::setDialogHook(answerYes);
        window->init("", false, false);
        panel = dynamic_cast<DravikContentPanel*>(window->getContent());
        if (panel == nullptr || !guitest::pumpUntil([this] { return panel->isStarted(); }, 10000))
            throw std::runtime_error("the settings panel did not start");
        auto* portBox = childOf<ComboBoxMidi>(*panel, [](ComboBoxMidi&) { return true; });
        sendButton = childOf<juce::TextButton>(*panel, [](juce::TextButton& button) {
            return button.getButtonText() == "SEND";
        });
        for (int i = 0; i < portBox->getNumItems(); ++i)
            if (portBox->getItemText(i) == portName)
                portBox->setSelectedItemIndex(i, juce::sendNotificationSync);
        if (!sendIsReady())
            throw std::runtime_error("SEND is not ready with the port chosen");
    }

    ~Editor()
    {
        window.reset();
        JuceUtils::setDialogHook(nullptr);
    }

    bool sendIsReady() const { return sendButton->isEnabled() && sendButton->getButtonText() == "SEND"; }

    // The bytes that SEND hands over: the document's stored form.
    std::vector<unsigned char> storedForm() const
    {
        std::vector<unsigned char> bytes(DravikDefaultTemplateSize);
        panel->saveToMem(bytes.data(), DravikDefaultTemplateSize);
        return bytes;
    }

    // One SEND, clicked and answered; false when its bytes were not handed over.
    bool send()
    {
        answered.reset();
        handedOver.reset();
        sendButton->triggerClick();
        return guitest::pumpUntil([] { return handedOver.has_value(); }) && answered && unexpectedBox.empty();
    }

    // The end of the device's wait, as the send timer brings it.
    bool endWait()
    {
        panel->OnTimer();
        return guitest::pumpUntil([this] { return sendIsReady(); });
    }

private:
    std::unique_ptr<DravikWindow> window;
    DravikContentPanel* panel = nullptr;
    juce::TextButton* sendButton = nullptr;
};

std::unique_ptr<Editor> editor;
// Why the editor did not start, for every run after the first.
std::string editorError;

void sendHandOff(benchmark::State& state)
{
    state.counters["stamp_spacing_ms"] = 0;
    if (!editor && editorError.empty()) {
        try {
            editor = std::make_unique<Editor>();
        } catch (std::runtime_error const& error) {
            editorError = error.what();
        }
    }
    if (!editor) {
        state.SkipWithError(editorError.c_str());
        return;
    }
    VirtualMidiBackend& midi = *virtualMidiBackend();
    std::size_t const sentBefore = midi.sent().size();
    MIDITimeStamp const start = AudioGetCurrentHostTime();
    for (auto _ : state) {
        if (!editor->send()) {
            state.SkipWithError(("no hand-over: " + unexpectedBox).c_str());
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*handedOver - *answered).count());
        if (!editor->endWait()) {
            state.SkipWithError("the wait after SEND did not end");
            break;
        }
    }
    std::vector<VirtualMidiPacket> packets = midi.sent();
    packets.erase(packets.begin(), packets.begin() + std::ptrdiff_t(sentBefore));
    state.counters["stamp_spacing_ms"] = sendstamps::firstSpacingMillis(packets);
    std::string const error = sendstamps::error(packets, editor->storedForm(), start);
    if (!error.empty() && !state.error_occurred())
        state.SkipWithError(error.c_str());
}

BENCHMARK(sendHandOff)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(sendsPerRun);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    juce::File home = juce::File::createTempFile("home");
    if (!home.createDirectory())
        return 1;
    setenv("HOME", home.getFullPathName().toRawUTF8(), 1);
    setenv("DRAVIK_MIDI_BACKEND", "virtual", 1);
    setenv("DRAVIK_VIRTUAL_MIDI_PORTS", portName, 1);
    // The build tree may lie on a loop device: no install offer.
    setenv("DRAVIK_MOUNTINFO", "/dev/null", 1);
    int const result = guitest::runAsJuceApplication(argc, argv, "Dravik SEND benchmark", [] {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        editor.reset();
        return 0;
    });
    home.deleteRecursively();
    return result;
}
