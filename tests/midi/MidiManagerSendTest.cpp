#include "tests/midi/MidiManagerTestSupport.h"

using namespace miditest;

namespace {

using MidiSend = OpenVirtualPorts;

struct Swallow : Tr::MidiOutDeviceFilter, Tr::MidiInDeviceFilter {
    void FilterMidiOut(int, unsigned char*&, int&, int& proceed) override { proceed = 0; }
    void FilterMidiIn(int, unsigned long long&, unsigned char*&, int&, int& proceed) override { proceed = 0; }
};

struct Replace : Tr::MidiOutDeviceFilter {
    void FilterMidiOut(int, unsigned char*& data, int& length, int&) override
    {
        data = replacement;
        length = 2;
    }
    unsigned char replacement[2] = {0xC0, 0x07};
};

struct Handler : Tr::MidiIncomingMessageHandler {
    void OnIncomingMidiMessage(int index, unsigned long long, unsigned char* data, int length, int&) override
    {
        messages.push_back(std::to_string(index) + " " + hexOf({data, data + length}));
    }
    std::vector<std::string> messages;
};

} // namespace

TEST_F(MidiSend, TheImageGoesToEveryOpenOutputLaterSlotFirst)
{
    std::vector<Byte> image = sysex(690);
    EXPECT_EQ(1, manager->SendMessageAllDevs(image.data(), 690));
    auto sent = midi.sent();
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ(two, sent[0].destination);
    EXPECT_EQ(one, sent[1].destination);
    EXPECT_EQ(image, sent[0].bytes);
    EXPECT_EQ(image, sent[1].bytes);

    manager->SetSuspended(1);
    EXPECT_EQ(0, manager->SendMessageAllDevs(image.data(), 690));
    manager->SetSuspended(0);
    Tr::MidiManager::CloseAll(0, 1);
    EXPECT_EQ(0, manager->SendMessageAllDevs(image.data(), 690));
    EXPECT_EQ(2u, midi.sent().size());
}

TEST_F(MidiSend, ShortMessagesGoOutAtTheirOwnLength)
{
    for (std::string hex : {"90 3C 64", "C0 05", "F8", "90 3C"}) {
        std::vector<Byte> message = bytesOf(hex);
        EXPECT_EQ(1, manager->SendMessage(index("One"), message.data(), int(message.size())));
        auto sent = sentTo(midi, one);
        ASSERT_FALSE(sent.empty()) << hex;
        EXPECT_EQ(hex, sent.back().hex);
    }
}

TEST_F(MidiSend, FiltersSwallowOrReplaceMessages)
{
    std::vector<Byte> note = bytesOf("90 3C 64");
    Replace replace;
    manager->AddOutDeviceFilter(&replace);
    EXPECT_EQ(1, manager->SendMessageAllDevs(note.data(), 3));
    EXPECT_EQ("C0 07", sentTo(midi, one).back().hex);
    EXPECT_EQ("C0 07", sentTo(midi, two).back().hex);
    Swallow swallow;
    manager->AddOutDeviceFilter(&swallow);
    EXPECT_EQ(1, manager->SendMessage(index("One"), note.data(), 3));
    EXPECT_EQ(2u, midi.sent().size());
    manager->RemoveOutDeviceFilter(&swallow);
    manager->RemoveOutDeviceFilter(&replace);
}

TEST_F(MidiSend, ReceivedMessagesPassTheInputFiltersToTheHandler)
{
    Handler handler;
    manager->SetIncomingMessageHandler(&handler);
    auto list = packetList({{5, "90 3C 64 80 3C 00"}});
    midi.inject(source, asList(list));
    std::string in = std::to_string(index("In", 1));
    EXPECT_EQ((std::vector<std::string>{in + " 90 3C 64", in + " 80 3C 00"}), handler.messages);

    Swallow swallow;
    manager->AddInDeviceFilter(&swallow);
    midi.inject(source, asList(list));
    manager->RemoveInDeviceFilter(&swallow);
    manager->SetIncomingMessageHandler(nullptr);
    EXPECT_EQ(2u, handler.messages.size());
}
