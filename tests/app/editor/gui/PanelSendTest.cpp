#include "tests/app/KeptMidiLayer.h"
#include "tests/app/editor/gui/PanelTestSupport.h"
#include "tests/foundation/TestClock.h"
#include "tests/foundation/WaitUntil.h"
#include "tests/support/DispatchLoop.h"
#include "tests/support/ThreadNames.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

namespace {

char const* const question =
    "Sending the data will write (and overwrite) all 19 programs.\nDo you want to send all programs now?";
char const* const sendError = "An error occurred when sending the Dravik MIDI T File.\nPlease verify the MIDI port.";

// Program 1 "Different Settings" with a stray pedal position, which its stored
// form leaves out.
Bytes unnormalisedImage()
{
    Bytes image = defaultTemplate();
    image[2] = 5;
    image[3] = 9;
    return image;
}

} // namespace

class PanelSendTest : public PanelTest {
protected:
    // A rescan due after the clock moved on would be due only that much later once
    // the clock goes back: it is waited for here.
    void TearDown() override
    {
        PanelTest::TearDown();
        EXPECT_EQ(0, testthreads::threadsNamed("BThreadTimer")) << "a send timer's thread outlived its panel";
        Tr::MIDIDevChangeNotifier* notifier = Tr::MidiManager::instance()->GetNotifier();
        EXPECT_TRUE(guitest::pumpUntil([notifier] { return !notifier || !notifier->isArmed(); }));
    }

    // A started panel whose document came from an unnormalised file, with these ports.
    void startWithPorts(std::vector<std::string> const& ports)
    {
        for (auto const& port : ports)
            plugMidiPort(*midi, port);
        std::ofstream(homeFile("in.syx").getFullPathName().toStdString(), std::ios::binary)
            .write(reinterpret_cast<char const*>(unnormalisedImage().data()), DravikDefaultTemplateSize);
        startPanel();
        panel->load(homeFile("in.syx").getFullPathName());
    }

    // The program ends and starts again with these ports: its MIDI layer starts
    // from nothing but the ini file.
    void restartProgram(std::vector<std::string> const& ports)
    {
        closeWindow();
        midi = &resetMidiLayer();
        for (auto const& port : ports)
            plugMidiPort(*midi, port);
        startPanel();
    }

    std::vector<std::string> sent() const
    {
        std::vector<std::string> packets;
        for (auto const& packet : midi->sent())
            packets.push_back(miditest::hexOf(packet.bytes));
        return packets;
    }

    TrTest::TestClock clock;
};

TEST_F(PanelSendTest, SendIsOnExactlyWhileAPortIsChosen)
{
    startWithPorts({"Dravik Box", "Other"});
    EXPECT_EQ(portBox()->getText(), "(none)");
    EXPECT_FALSE(sendButton().isEnabled());
    choose(portBox(), "Dravik Box");
    EXPECT_TRUE(sendIsReady());
    choose(portBox(), "(none)");
    EXPECT_FALSE(sendButton().isEnabled());
}

TEST_F(PanelSendTest, YesSendsTheStoredFormOnceAndSendWaitsSixSeconds)
{
    startWithPorts({"Dravik Box"});
    makeChange();
    choose(portBox(), "Dravik Box");
    Bytes before = storedImage();

    clickSend({JuceUtils::Yes});
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_EQ(dialogs[0].title, "Confirm");
    EXPECT_EQ(dialogs[0].message, question);
    EXPECT_EQ((std::vector<std::string>{miditest::hexOf(before)}), sent());
    EXPECT_EQ(0, before[3]) << "the stored form leaves out the stray pedal position";
    EXPECT_EQ(sendButton().getButtonText(), "(waiting for device)");
    EXPECT_FALSE(sendButton().isEnabled());
    EXPECT_EQ(title(), "Dravik MIDI T - v2.0 - in.syx *");
    EXPECT_EQ(before, storedImage());

    clock.advance(3000);
    EXPECT_FALSE(guitest::pumpUntil([this] { return sendIsReady(); }, 1500)) << "the wait ended early";
    clock.advance(3000);
    EXPECT_TRUE(guitest::pumpUntil([this] { return sendIsReady(); }, 10000));
    EXPECT_EQ(1u, sent().size());
}

TEST_F(PanelSendTest, AnyAnswerButYesSendsNothing)
{
    startWithPorts({"Dravik Box"});
    choose(portBox(), "Dravik Box");
    clickSend({JuceUtils::No});
    clickSend({JuceUtils::Cancel});
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(sendIsReady());
}

// A port that went, but not yet from the list, and a back-end that refuses.
TEST_F(PanelSendTest, AFailedSendSaysSoAndLeavesSendUsable)
{
    startWithPorts({"Dravik Box"});
    choose(portBox(), "Dravik Box");
    midi->fail(VirtualMidiCall::Send, -10830);
    clickSend({JuceUtils::Yes, JuceUtils::Ok});
    midi->fail(VirtualMidiCall::Send, 0);
    unplugMidiPort(*midi, "Dravik Box");
    clickSend({JuceUtils::Yes, JuceUtils::Ok});

    ASSERT_EQ(4u, dialogs.size());
    for (int i : {1, 3}) {
        EXPECT_EQ(dialogs[size_t(i)].title, "Error");
        EXPECT_EQ(dialogs[size_t(i)].message, sendError);
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(sendIsReady());
}

TEST_F(PanelSendTest, APortThatGoesDuringTheWaitKeepsSendOffUntilItIsBack)
{
    startWithPorts({"Dravik Box"});
    choose(portBox(), "Dravik Box");
    clickSend({JuceUtils::Yes});
    unplugMidiPort(*midi, "Dravik Box");
    rescanOnAnotherThread();
    ASSERT_TRUE(guitest::pumpUntil([this] { return portBox()->getText() == "(none)"; }));

    clock.advance(6000);
    ASSERT_TRUE(guitest::pumpUntil([this] { return sendButton().getButtonText() == "SEND"; }, 10000));
    EXPECT_FALSE(sendButton().isEnabled());
    plugMidiPort(*midi, "Dravik Box");
    rescanOnAnotherThread();
    EXPECT_TRUE(guitest::pumpUntil([this] { return sendIsReady(); }));
    EXPECT_EQ(portBox()->getText(), "Dravik Box");
}

namespace {

// After the end of its wait has been handed over, the timer's thread runs the
// test's hook, as a run that goes on a while longer would.
class HookedWaitPanel : public DravikContentPanel {
public:
    int OnTimer() override
    {
        int result = DravikContentPanel::OnTimer();
        afterEnd();
        return result;
    }

    static std::function<void()> afterEnd;
};

std::function<void()> HookedWaitPanel::afterEnd;

} // namespace

// SEND pressed as the previous wait ends, while that wait's timer run is still
// ending: the new wait is not ended with it.
TEST_F(PanelSendTest, ASendRightAsTheWaitEndsGetsItsFullWait)
{
    std::atomic<bool> asked{false};
    HookedWaitPanel::afterEnd = [&asked] {
        TrTest::waitUntil([&asked] { return asked.load(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    };
    makePanel = [] { return new HookedWaitPanel(); };
    startWithPorts({"Dravik Box"});
    choose(portBox(), "Dravik Box");
    clickSend({JuceUtils::Yes});
    clock.advance(6000);
    ASSERT_TRUE(guitest::pumpUntil([this] { return sendIsReady(); }, 10000));

    whileShown = [&asked] { asked = true; };
    clickSend({JuceUtils::Yes});
    whileShown = nullptr;
    EXPECT_EQ(sendButton().getButtonText(), "(waiting for device)");
    clock.advance(6000);
    EXPECT_TRUE(guitest::pumpUntil([this] { return sendIsReady(); }, 10000)) << "the second wait never ended";
    EXPECT_EQ(2u, sent().size());
    closeWindow();
}

// The timer's thread hands the end of the wait over without waiting for the
// message thread, which may itself be waiting for that thread (closing, a SEND).
TEST_F(PanelSendTest, TheEndOfTheWaitNeverWaitsForTheMessageThread)
{
    std::atomic<bool> ended{false};
    HookedWaitPanel::afterEnd = [&ended] { ended = true; };
    makePanel = [] { return new HookedWaitPanel(); };
    startWithPorts({"Dravik Box"});
    choose(portBox(), "Dravik Box");
    clickSend({JuceUtils::Yes});
    clock.advance(6000);
    EXPECT_TRUE(TrTest::waitUntil([&ended] { return ended.load(); }, 10000));
    EXPECT_TRUE(guitest::pumpUntil([this] { return sendIsReady(); }, 10000));
    closeWindow();
}

// Rescans keep coming from another thread, the chosen port going and coming,
// while the window closes.
TEST_F(PanelSendTest, ClosingDuringRescansIsPrompt)
{
    startWithPorts({"Dravik Box"});
    choose(portBox(), "Dravik Box");
    std::atomic<int> rescans{0};
    std::atomic<bool> stop{false};
    std::thread rescanning([&] {
        for (int i = 0; !stop; ++i) {
            if (i % 2)
                plugMidiPort(*midi, "Dravik Box");
            else
                unplugMidiPort(*midi, "Dravik Box");
            Tr::MidiManager::instance()->RefreshDevList(1, 0, 1);
            ++rescans;
        }
    });
    EXPECT_TRUE(guitest::pumpUntil([&] { return rescans > 20; }));

    // A close that the rescans held up would end only when they do, after it.
    closeWindow();
    stop = true;
    rescanning.join();
}

// A close or quit request while any box or file dialog is on screen is refused,
// with or without unsaved changes: it would quit under the box, or ask on top of it.
TEST_F(PanelSendTest, QuitRequestsWhileABoxOrFileDialogIsOnScreenAreRefused)
{
    startWithPorts({"Dravik Box"});
    choose(portBox(), "Dravik Box");
    std::vector<bool> quits;
    int depth = 0;
    whileShown = [&] {
        if (depth++ == 0)
            quits.push_back(panel->canQuit());
        --depth;
    };
    clickSend({JuceUtils::No});
    makeChange();
    clickSend({JuceUtils::No});
    answers.push_back(JuceUtils::Ok);
    panel->filesDropped(juce::StringArray(home.getFullPathName()), 0, 0);
    chosenFiles.push_back("");
    panel->save();
    whileShown = nullptr;

    EXPECT_EQ(quits, std::vector<bool>(4, false));
    ASSERT_EQ(dialogs.size(), 3u) << "no question on top of another";
    EXPECT_EQ(dialogs[1].message, question);
    EXPECT_EQ(dialogs[2].message, "Error: cannot load a folder.");
    EXPECT_EQ(fileRequests.size(), 1u);
}

TEST_F(PanelSendTest, TheChosenPortIsChosenAgainAtTheNextStartAndAloneOpen)
{
    startWithPorts({"Port A", "Port B"});
    choose(portBox(), "Port B");
    restartProgram({"Port A", "Port B"});
    EXPECT_EQ(portBox()->getText(), "Port B");
    EXPECT_TRUE(sendIsReady());

    // An older ini file that remembers both outputs open: only the chosen one opens.
    closeWindow();
    juce::String ini = iniFile().loadFileAsString();
    ini = ini.replace("[MIDI.out]\n", "[MIDI.out]\nName1=Port A\nOptions1=FF4944494D\n");
    ASSERT_TRUE(iniFile().replaceWithText(ini));
    restartProgram({"Port A", "Port B"});
    EXPECT_EQ(portBox()->getText(), "Port B");
    clickSend({JuceUtils::Yes});
    ASSERT_EQ(1u, midi->sent().size());
    EXPECT_EQ(midi->find(kMIDIObjectType_Destination, "Port B"), midi->sent()[0].destination);
}

TEST_F(PanelSendTest, ClosingDuringTheWaitEndsItsTimerAndWritesTheIniFile)
{
    startWithPorts({"Dravik Box"});
    choose(portBox(), "Dravik Box");
    clickSend({JuceUtils::Yes});
    ASSERT_TRUE(TrTest::waitUntil([] { return testthreads::threadsNamed("BThreadTimer") == 1; }));

    // The test's clock stands still: a close that waited for the timer would never end.
    closeWindow();
    EXPECT_EQ(0, testthreads::threadsNamed("BThreadTimer"));
    EXPECT_TRUE(iniFile().loadFileAsString().contains("Device0=2:Dravik Box"));
    EXPECT_TRUE(Tr::MidiManager::instance()->IsSuspended());
    clock.advance(6000);
    guitest::endWithADispatchedMessage();
}
