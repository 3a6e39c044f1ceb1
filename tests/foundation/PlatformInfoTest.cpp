#include "foundation/PlatformInfo.h"

#include "platform/coreservices/Gestalt.h"

#include <gtest/gtest.h>

namespace {

// Answers the version query with a release text of the test's choosing.
class KernelRelease
{
public:
    explicit KernelRelease(char const* release)
    {
        GestaltOverrideKernelRelease(release);
        Tr::MacVersion = -1;
    }
    ~KernelRelease()
    {
        GestaltOverrideKernelRelease(nullptr);
        Tr::MacVersion = -1;
    }
};

TEST(PlatformInfo, EditionNameIsEmpty)
{
    EXPECT_STREQ("", Tr::getEditionName().c_str());
}

TEST(PlatformInfo, VersionParts)
{
    KernelRelease release("10.6.8");
    EXPECT_TRUE(Tr::needPlatform());
    EXPECT_EQ(0x1068, Tr::MacVersion.load());
    EXPECT_EQ(10, Tr::getOSVersionMajor());
    EXPECT_EQ(6, Tr::getOSVersionMinor());
    EXPECT_EQ(8, Tr::getOSVersionMinorMinor());
    EXPECT_STREQ("10.6.8", Tr::getOSVersionString().c_str());
}

TEST(PlatformInfo, VersionTests)
{
    struct Case {
        char const* release;
        int tiger, leopard, snowleopard, lion;
    } const cases[] = {
        {"10.3.9", 0, 0, 0, 0}, {"10.4.0", 1, 0, 0, 0}, {"10.6.8", 1, 1, 1, 0},
        {"10.7.0", 1, 1, 1, 1}, {"9.9.9", 0, 0, 0, 0},  {"11.0", 1, 1, 1, 1},
    };
    for (auto const& c : cases) {
        KernelRelease release(c.release);
        EXPECT_EQ(c.tiger, Tr::isTiger()) << c.release;
        EXPECT_EQ(c.leopard, Tr::isLeopard()) << c.release;
        EXPECT_EQ(c.snowleopard, Tr::isSnowleopard()) << c.release;
        EXPECT_EQ(c.lion, Tr::isLion()) << c.release;
    }
}

TEST(PlatformInfo, FailedQueryIsAskedAgain)
{
    KernelRelease release("unknown");
    EXPECT_FALSE(Tr::needPlatform());
    EXPECT_EQ(-1, Tr::MacVersion.load());
    EXPECT_EQ(0, Tr::getOSVersionMajor());
    EXPECT_EQ(0, Tr::getOSVersionMinor());
    EXPECT_EQ(0, Tr::getOSVersionMinorMinor());
    EXPECT_STREQ("(unknown OS version)", Tr::getOSVersionString().c_str());
    EXPECT_FALSE(Tr::isTiger());
    GestaltOverrideKernelRelease("6.1.0-18-amd64");
    EXPECT_TRUE(Tr::needPlatform());
    EXPECT_STREQ("6.1.0", Tr::getOSVersionString().c_str());
    EXPECT_FALSE(Tr::isTiger());
}

} // namespace
