// The virtual back-end set up from the environment, as a black-box test of the
// built program sets it up. Its own program: the back-end is chosen once per
// process, at the first MIDI call, and reads the variables then.

#include "platform/coremidi/MIDIServices.h"

#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace miditest;

namespace {

std::string folder;

std::string path(char const* name)
{
    return folder + "/" + name;
}

// Gives the command and returns the reply, which comes once it has been carried out.
std::string command(std::string const& line)
{
    static int const replies = ::open(path("reply").c_str(), O_RDONLY);
    int fd = ::open(path("control").c_str(), O_WRONLY);
    std::string text = line + "\n";
    EXPECT_EQ(ssize_t(text.size()), ::write(fd, text.data(), text.size()));
    ::close(fd);
    std::string reply;
    pollfd ready{replies, POLLIN, 0};
    for (char c = 0; c != '\n' && ::poll(&ready, 1, 10000) == 1 && ::read(replies, &c, 1) == 1;)
        reply += c;
    return reply;
}

std::string logged()
{
    std::ifstream in(path("log"));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> names(MIDIObjectType type)
{
    std::vector<std::string> found;
    for (auto const& info : midiBackend().endpoints(type))
        found.push_back(info.name);
    return found;
}

// The ids that a port of this name gets: endpoint, entity and device, per direction.
std::vector<SInt32> idsOf(std::string const& name)
{
    std::vector<SInt32> ids;
    for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination})
        for (auto const& info : midiBackend().endpoints(type))
            if (info.name == name)
                ids.insert(ids.end(), {info.uniqueId, info.entityUniqueId, info.deviceUniqueId});
    return ids;
}

OSStatus sendTo(std::string const& name, std::vector<Packet> const& packets)
{
    static MIDIPortRef port = [] {
        MIDIClientRef client = 0;
        MIDIPortRef made = 0;
        MIDIClientCreate(nullptr, nullptr, nullptr, &client);
        MIDIOutputPortCreate(client, nullptr, &made);
        return made;
    }();
    MIDIEndpointRef destination = 0;
    for (auto const& info : midiBackend().endpoints(kMIDIObjectType_Destination))
        if (info.name == name)
            destination = info.endpoint;
    return MIDISend(port, destination, asList(packetList(packets)));
}

class VirtualMidiEnvironment : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/dravik-virtual-midi-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
        ASSERT_EQ(0, mkfifo(path("control").c_str(), 0600));
        ASSERT_EQ(0, mkfifo(path("reply").c_str(), 0600));
        setenv("DRAVIK_MIDI_BACKEND", "virtual", 1);
        setenv("DRAVIK_VIRTUAL_MIDI_PORTS", "Alpha;Beta Synth;;", 1);
        setenv("DRAVIK_VIRTUAL_MIDI_LOG", path("log").c_str(), 1);
        setenv("DRAVIK_VIRTUAL_MIDI_CONTROL", path("control").c_str(), 1);
        setenv("DRAVIK_VIRTUAL_MIDI_REPLY", path("reply").c_str(), 1);
    }

    static void TearDownTestSuite()
    {
        for (char const* name : {"control", "reply", "log"})
            std::remove(path(name).c_str());
        ::rmdir(folder.c_str());
    }
};

} // namespace

TEST_F(VirtualMidiEnvironment, PortsLogAndControlPipeWorkFromTheVariables)
{
    std::vector<std::string> expected = {"Alpha", "Beta Synth"};
    ASSERT_EQ(expected, names(kMIDIObjectType_Destination));
    EXPECT_EQ(expected, names(kMIDIObjectType_Source));
    std::vector<SInt32> alpha = idsOf("Alpha");
    ASSERT_EQ(6u, alpha.size());
    EXPECT_NE(alpha[0], alpha[3]);
    EXPECT_EQ(alpha[1], alpha[4]);
    EXPECT_EQ(alpha[2], alpha[5]);
    EXPECT_NE(idsOf("Beta Synth"), alpha);

    ASSERT_EQ(0, sendTo("Alpha", {{0, "90 3C 40"}, {1, "F0 7E 7F 06 01 F7"}}));
    EXPECT_EQ("90 3C 40\nF0 7E 7F 06 01 F7\n", logged());

    EXPECT_EQ("ok\n", command("add Gamma"));
    EXPECT_EQ(3u, names(kMIDIObjectType_Destination).size());
    EXPECT_EQ("ok\n", command("remove Beta Synth"));
    expected = {"Alpha", "Gamma"};
    EXPECT_EQ(expected, names(kMIDIObjectType_Source));
    EXPECT_EQ(expected, names(kMIDIObjectType_Destination));

    EXPECT_EQ("ok\n", command("fail-send -10838"));
    EXPECT_EQ(kMIDIMessageSendErr, sendTo("Gamma", {{0, "C0 01"}}));
    EXPECT_EQ("ok\n", command("ok-send"));
    EXPECT_EQ(0, sendTo("Gamma", {{0, "C0 02"}}));
    EXPECT_EQ("90 3C 40\nF0 7E 7F 06 01 F7\nC0 02\n", logged());

    EXPECT_EQ("error\n", command("no such command"));
    EXPECT_EQ("ok\n", command("hold-changes"));
    EXPECT_EQ("ok\n", command("remove Alpha"));
    EXPECT_EQ("ok\n", command("add Alpha"));
    EXPECT_EQ("ok\n", command("release-changes"));
    expected = {"Gamma", "Alpha"};
    EXPECT_EQ(expected, names(kMIDIObjectType_Destination));
    EXPECT_EQ(alpha, idsOf("Alpha"));
}
