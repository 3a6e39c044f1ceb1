#include "platform/coremidi/AlsaMidiBackend.h"

#include <gtest/gtest.h>

TEST(AlsaMidiBackend, WithoutASequencerEveryCallFailsQuietly)
{
    // alsa-lib cannot open this name on any machine, and says so on standard error.
    AlsaMidiBackend backend("dravik-no-such-sequencer");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(backend.available());
    EXPECT_TRUE(backend.endpoints(kMIDIObjectType_Source).empty());
    EXPECT_TRUE(backend.endpoints(kMIDIObjectType_Destination).empty());
    std::unique_ptr<MidiBackendClient> client;
    EXPECT_EQ(kMIDIServerStartErr, backend.createClient("client", nullptr, client));
    EXPECT_EQ(nullptr, client);
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
}
