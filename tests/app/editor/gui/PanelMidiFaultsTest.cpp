// The chosen MIDI port failing the panel: it goes while SEND asks, the back-end
// refuses the bytes, and it comes and goes a thousand times.
#include "tests/app/KeptMidiLayer.h"
#include "tests/app/editor/gui/PanelTestSupport.h"
#include "tests/support/ProcessMemory.h"

#include <cstdio>
#include <functional>
#include <utility>

namespace {

char const* const sendError = "An error occurred when sending the Dravik MIDI T File.\nPlease verify the MIDI port.";
char const* const port = "Dravik Box";

class PanelMidiFaults : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        startWithThePortChosen();
    }

    // A new window, on a MIDI layer that has only the port, which the user chooses.
    void startWithThePortChosen()
    {
        closeWindow();
        midi = &resetMidiLayer();
        plugMidiPort(*midi, port);
        startPanel();
        choose(portBox(), port);
    }

    bool portIsOpen() const
    {
        Tr::MidiManager* manager = Tr::MidiManager::instance();
        Tr::MidiManagerDev* slot = manager->GetDevDescriptor(manager->GetDevIndex(port, 0), 0);
        return slot && slot->IsOpen();
    }

    // SEND answered Yes; while it asks, the fault happens.
    void sendWhileAsking(std::function<void()> const& fault)
    {
        bool asked = false;
        whileShown = [&] {
            if (!std::exchange(asked, true))
                fault();
        };
        clickSend({JuceUtils::Yes, JuceUtils::Ok});
        whileShown = nullptr;
    }
};

} // namespace

TEST_F(PanelMidiFaults, APortThatFailsWhileSendAsksGetsNothingAndSendServesAgainOnceItIsBack)
{
    struct Case {
        char const* fault;
        std::function<void(VirtualMidiBackend&)> happen;
        std::function<void(VirtualMidiBackend&)> mend;
    } const cases[] = {
        {"unplugged, not yet rescanned", [](VirtualMidiBackend& m) { unplugMidiPort(m, port); },
         [](VirtualMidiBackend& m) { plugMidiPort(m, port); }},
        {"unplugged and rescanned",
         [](VirtualMidiBackend& m) {
             unplugMidiPort(m, port);
             rescanOnAnotherThread();
         },
         [](VirtualMidiBackend& m) { plugMidiPort(m, port); }},
        {"refused by the back-end", [](VirtualMidiBackend& m) { m.fail(VirtualMidiCall::Send, kMIDIUnknownEndpoint); },
         [](VirtualMidiBackend& m) { m.fail(VirtualMidiCall::Send, 0); }},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.fault);
        dialogs.clear();
        sendWhileAsking([&] { c.happen(*midi); });
        ASSERT_EQ(2u, dialogs.size());
        EXPECT_EQ(dialogs[1].title, "Error");
        EXPECT_EQ(dialogs[1].message, sendError);
        EXPECT_TRUE(midi->sent().empty());
        EXPECT_EQ(sendButton().getButtonText(), "SEND");

        c.mend(*midi);
        rescanOnAnotherThread();
        EXPECT_TRUE(guitest::pumpUntil([this] { return sendIsReady() && portIsOpen(); }));
        EXPECT_EQ(portBox()->getText(), port);
        clickSend({JuceUtils::Yes});
        EXPECT_EQ(1u, midi->sent().size());
        EXPECT_EQ(sendButton().getButtonText(), "(waiting for device)");
        startWithThePortChosen();
    }
}

// Each cycle is a rescan after the port went and one after it came back, as the
// device-change timer runs them; the panel follows each on the message thread.
TEST_F(PanelMidiFaults, AThousandUnplugsAndReplugsReopenThePortEachTimeAndLeaveMemoryFlat)
{
    std::size_t heapAfter100 = 0;
    long residentAfter100 = 0;
    for (int cycle = 1; cycle <= 1000; ++cycle) {
        unplugMidiPort(*midi, port);
        rescanOnAnotherThread();
        ASSERT_TRUE(guitest::pumpUntil([this] { return portBox()->getText() == "(none)"; })) << "cycle " << cycle;
        EXPECT_FALSE(sendButton().isEnabled());
        plugMidiPort(*midi, port);
        rescanOnAnotherThread();
        ASSERT_TRUE(guitest::pumpUntil([this] { return portBox()->getText() == port && sendIsReady(); }))
            << "cycle " << cycle;
        ASSERT_TRUE(portIsOpen()) << "cycle " << cycle;
        if (cycle == 100) {
            heapAfter100 = testmemory::heapInUse();
            residentAfter100 = testmemory::residentBytes();
        }
    }
    long heapGrowth = long(testmemory::heapInUse()) - long(heapAfter100);
    long residentGrowth = testmemory::residentBytes() - residentAfter100;
    std::printf("after 900 more cycles: heap %+ld bytes, resident set %+ld bytes of %ld\n", heapGrowth,
                residentGrowth, residentAfter100);
    EXPECT_LT(heapGrowth, 900 * 64) << "more than 64 bytes a cycle kept";
    if (testmemory::residentSetIsMeaningful) {
        EXPECT_LT(residentGrowth, residentAfter100 / 20) << "the resident set grew by 5 % or more";
    }

    clickSend({JuceUtils::Yes});
    EXPECT_EQ(1u, midi->sent().size());
}
