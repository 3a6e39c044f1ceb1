#include "platform/coremidi/AlsaEndpointRegistry.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

namespace {

unsigned const readable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
unsigned const writable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;

AlsaPortRecord kernelPort(int client, int port, std::string const& clientName, std::string const& portName,
                          unsigned caps = readable | writable)
{
    return {{client, port}, clientName, portName, caps, true, 0};
}

AlsaPortRecord userPort(int client, int port, int process, std::string const& portName = "Port",
                        unsigned caps = readable | writable)
{
    return {{client, port}, "App", portName, caps, false, process};
}

struct Heard {
    MIDINotificationMessageID message;
    MIDIObjectRef child;
    MIDIObjectType childType;
    std::string property;

    bool operator==(Heard const& other) const
    {
        return message == other.message && child == other.child && childType == other.childType &&
               property == other.property;
    }
};

std::ostream& operator<<(std::ostream& out, Heard const& heard)
{
    return out << "{" << heard.message << ", " << heard.child << ", " << heard.childType << ", " << heard.property
               << "}";
}

std::vector<Heard> heard(std::vector<MidiObjectChange> const& changes)
{
    std::vector<Heard> result;
    for (auto const& change : changes)
        result.push_back({change.message, change.child, change.childType, change.property});
    return result;
}

class AlsaEndpointRegistryTest : public ::testing::Test {
protected:
    // The source and the destination of the port as the walk of these ports lists them.
    std::pair<MIDIEndpointRef, MIDIEndpointRef> refsOf(std::vector<AlsaPortRecord> const& ports,
                                                       std::string const& name)
    {
        std::pair<MIDIEndpointRef, MIDIEndpointRef> refs;
        for (auto const& info : registry.walked(ports, kMIDIObjectType_Source))
            if (info.name == name)
                refs.first = info.endpoint;
        for (auto const& info : registry.walked(ports, kMIDIObjectType_Destination))
            if (info.name == name)
                refs.second = info.endpoint;
        return refs;
    }

    bool lives(MIDIEndpointRef endpoint, MIDIObjectType type)
    {
        AlsaAddress address;
        return registry.addressOf(endpoint, type, address) == 0;
    }

    AlsaEndpointRegistry registry;
};

} // namespace

TEST(AlsaEndpointKinds, ExportedPortsThatOthersMaySubscribeAreEndpoints)
{
    struct Case {
        int client;
        unsigned caps;
        unsigned kinds;
    } const cases[] = {
        {20, readable, kAlsaSource},
        {20, writable, kAlsaDestination},
        {20, readable | writable, kAlsaSource | kAlsaDestination},
        {20, SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE, 0},
        {20, readable | writable | SND_SEQ_PORT_CAP_NO_EXPORT, 0},
        {0, readable | writable, 0},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.kinds, alsaEndpointKinds(kernelPort(c.client, 0, "Client", "Port", c.caps)))
            << c.client << " " << c.caps;
}

TEST_F(AlsaEndpointRegistryTest, AWalkListsEndpointsWithNamesIdsAndTheDevicesOfKernelClients)
{
    std::vector<AlsaPortRecord> const ports = {
        kernelPort(0, 1, "System", "Announce", readable), kernelPort(20, 0, "Synth", "Synth Port 1"),
        kernelPort(20, 1, "Synth", "Synth Port 2", writable), userPort(128, 0, 77, "App Out", readable)};
    auto sources = registry.walked(ports, kMIDIObjectType_Source);
    auto destinations = registry.walked(ports, kMIDIObjectType_Destination);
    ASSERT_EQ(2u, sources.size());
    ASSERT_EQ(2u, destinations.size());

    MidiEndpointInfo const& synth = sources[0];
    EXPECT_EQ("Synth Port 1", synth.name);
    EXPECT_EQ("Synth", synth.model);
    EXPECT_EQ("Synth Port 2", destinations[1].name);
    EXPECT_EQ(synth.entity, destinations[0].entity) << "one port, one entity";
    EXPECT_NE(synth.entity, destinations[1].entity);
    EXPECT_EQ(synth.device, destinations[1].device) << "one client, one device";
    EXPECT_NE(synth.uniqueId, destinations[0].uniqueId);
    EXPECT_NE(synth.entityUniqueId, destinations[1].entityUniqueId);
    EXPECT_EQ(synth.deviceUniqueId, destinations[1].deviceUniqueId);
    for (SInt32 id : {synth.uniqueId, synth.entityUniqueId, synth.deviceUniqueId})
        EXPECT_TRUE(id != 0 && id != -1);

    MidiEndpointInfo const& app = sources[1];
    EXPECT_EQ("App Out", app.name);
    EXPECT_EQ(0u, app.entity) << "a user client has no device";
    EXPECT_EQ(0u, app.device);
    EXPECT_NE(0, app.uniqueId);
}

TEST_F(AlsaEndpointRegistryTest, AReferenceNamesOneLifeOfAPortAndIdsOutliveIt)
{
    AlsaPortRecord const port = userPort(128, 0, 77);
    auto first = refsOf({port}, "Port");
    SInt32 id = registry.walked({port}, kMIDIObjectType_Source)[0].uniqueId;
    EXPECT_EQ(first, refsOf({port}, "Port")) << "the same port, the same references";

    AlsaPortRecord otherProcess = port;
    otherProcess.owner = 78;
    AlsaPortRecord renamed = port;
    renamed.portName = "Renamed";
    struct Case {
        char const* what;
        bool missedByAWalk;
        AlsaPortRecord next; // the port at the address then
    } const cases[] = {
        {"gone and back", true, port},
        {"another process at the address", false, otherProcess},
        {"another name at the address", false, renamed},
    };
    for (auto const& c : cases) {
        auto before = refsOf({port}, "Port");
        if (c.missedByAWalk)
            registry.walked({}, kMIDIObjectType_Source);
        auto after = refsOf({c.next}, c.next.portName);
        EXPECT_NE(before.first, after.first) << c.what;
        EXPECT_NE(before.second, after.second) << c.what;
        EXPECT_FALSE(lives(before.first, kMIDIObjectType_Source)) << c.what;
        EXPECT_TRUE(lives(after.first, kMIDIObjectType_Source)) << c.what;
    }
    EXPECT_EQ(id, registry.walked({port}, kMIDIObjectType_Source)[0].uniqueId) << "ids come from names and numbers";
}

TEST_F(AlsaEndpointRegistryTest, AnnouncementsBecomeAddedAndRemovedForEachEndpoint)
{
    AlsaPortRecord const port = kernelPort(20, 0, "Synth", "Synth Port 1");
    auto added = registry.started(port);
    auto refs = refsOf({port}, "Synth Port 1");
    EXPECT_EQ((std::vector<Heard>{{kMIDIMsgObjectAdded, refs.first, kMIDIObjectType_Source, ""},
                                  {kMIDIMsgObjectAdded, refs.second, kMIDIObjectType_Destination, ""}}),
              heard(added));
    EXPECT_EQ(kMIDIObjectType_Entity, added[0].parentType);
    EXPECT_NE(0u, added[0].parent);

    EXPECT_TRUE(registry.started(kernelPort(20, 1, "Synth", "Private", readable | SND_SEQ_PORT_CAP_NO_EXPORT)).empty());
    EXPECT_TRUE(registry.exited({20, 5}, nullptr).empty()) << "never seen";

    // Gone and already made anew at its address: the new port cannot be told apart.
    std::vector<Heard> const removed = {{kMIDIMsgObjectRemoved, refs.first, kMIDIObjectType_Source, ""},
                                        {kMIDIMsgObjectRemoved, refs.second, kMIDIObjectType_Destination, ""}};
    EXPECT_EQ(removed, heard(registry.exited(port.address, &port)));
    EXPECT_TRUE(lives(refs.first, kMIDIObjectType_Source));
    EXPECT_EQ(removed, heard(registry.exited(port.address, nullptr)));
    EXPECT_FALSE(lives(refs.first, kMIDIObjectType_Source));
    EXPECT_FALSE(lives(refs.second, kMIDIObjectType_Destination));
}

TEST_F(AlsaEndpointRegistryTest, ChangesOfAPortOrItsClientAreTold)
{
    AlsaPortRecord port = kernelPort(20, 0, "Synth", "Synth Port 1");
    auto refs = refsOf({port}, "Synth Port 1");
    port.capability = readable;
    EXPECT_EQ((std::vector<Heard>{{kMIDIMsgObjectRemoved, refs.second, kMIDIObjectType_Destination, ""}}),
              heard(registry.changed(port)));
    EXPECT_FALSE(lives(refs.second, kMIDIObjectType_Destination));
    port.capability = readable | writable;
    EXPECT_EQ((std::vector<Heard>{{kMIDIMsgObjectAdded, refs.second, kMIDIObjectType_Destination, ""}}),
              heard(registry.changed(port)));
    EXPECT_EQ((std::vector<Heard>{{kMIDIMsgPropertyChanged, refs.first, kMIDIObjectType_Source, "model"},
                                  {kMIDIMsgPropertyChanged, refs.second, kMIDIObjectType_Destination, "model"}}),
              heard(registry.clientChanged(20)));

    AlsaPortRecord renamed = port;
    renamed.portName = "Renamed";
    auto changes = heard(registry.changed(renamed));
    auto now = refsOf({renamed}, "Renamed");
    EXPECT_EQ((std::vector<Heard>{{kMIDIMsgObjectRemoved, refs.first, kMIDIObjectType_Source, ""},
                                  {kMIDIMsgObjectRemoved, refs.second, kMIDIObjectType_Destination, ""},
                                  {kMIDIMsgObjectAdded, now.first, kMIDIObjectType_Source, ""},
                                  {kMIDIMsgObjectAdded, now.second, kMIDIObjectType_Destination, ""}}),
              changes);
}
