#include "tests/midi/MidiManagerTestSupport.h"

using namespace miditest;

namespace {

// An open output and an open input of the CoreMIDI back-end, over the virtual one.
class MidiPortReturn : public ManagerTest, public Tr::MidiIncomingMessageHandler {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        plugBoth();
        manager->RefreshDevList(1, 0, 1);
        open("Box");
        open("Box", 1);
        manager->SetIncomingMessageHandler(this);
        log.take();
    }

    void TearDown() override
    {
        manager->SetIncomingMessageHandler(nullptr);
        ManagerTest::TearDown();
    }

    void OnIncomingMidiMessage(int, unsigned long long, unsigned char* data, int length, int&) override
    {
        received.push_back(hexOf({data, data + length}));
    }

    void plugBoth()
    {
        VirtualMidiPort box;
        box.name = port("Box");
        destination = midi.add(kMIDIObjectType_Destination, box);
        source = midi.add(kMIDIObjectType_Source, box);
    }

    // The port works both ways: a message sent reaches it, one it sends arrives.
    void expectItWorks()
    {
        std::vector<Byte> image = sysex(690);
        EXPECT_EQ(1, manager->SendMessageAllDevs(image.data(), 690));
        EXPECT_EQ(1u, sentTo(midi, destination).size());
        received.clear();
        midi.inject(source, asList(packetList({{5, "90 3C 64"}})));
        EXPECT_EQ(std::vector<std::string>{"90 3C 64"}, received);
    }

    VirtualMidiBackend& midi = *virtualMidiBackend();
    MIDIEndpointRef destination = 0;
    MIDIEndpointRef source = 0;
    std::vector<std::string> received;
};

} // namespace

// Unplugged and plugged in again before the rescan that the first change asked for:
// that rescan finds the same ports, but as new endpoints.
TEST_F(MidiPortReturn, APortBackBeforeTheRescanIsOpenedAgainAsItsNewEndpoint)
{
    midi.remove(destination);
    midi.remove(source);
    plugBoth();
    manager->RefreshDevList(1, 0, 1);
    EXPECT_TRUE(slot("Box").IsOpen());
    EXPECT_TRUE(slot("Box", 1).IsOpen());
    EXPECT_EQ(1, log.count("after-open out Box"));
    EXPECT_EQ(1, log.count("after-open in Box"));
    expectItWorks();
}

TEST_F(MidiPortReturn, APortThatStayedIsLeftOpenByARescan)
{
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ(std::vector<std::string>{"list"}, log.take());
    expectItWorks();
}
