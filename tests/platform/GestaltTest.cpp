#include "platform/coreservices/Gestalt.h"

#include <gtest/gtest.h>

#include <sys/utsname.h>

namespace {

struct ReleaseCase {
    const char* release;
    SInt32 version;
};

TEST(Gestalt, ReleaseTextsBecomeBcdVersions)
{
    const ReleaseCase cases[] = {
        {"6.1.0-18-amd64", 0x0610},
        {"10.6.8", 0x1068},
        {"5.15.90.1-microsoft-standard-WSL2", 0x0599},
        {"6.5", 0x0650},
        {"4", 0x0400},
        {"123.4.5", 0x9945},
        {"3.x.7", 0x0300},
    };
    for (const ReleaseCase& c : cases) {
        SInt32 version = -1;
        EXPECT_TRUE(GestaltVersionFromRelease(c.release, &version)) << c.release;
        EXPECT_EQ(c.version, version) << c.release;
    }
}

TEST(Gestalt, ReleaseWithoutLeadingNumberIsRejected)
{
    for (const char* release : {"", "linux-6.1", ".5", "v6"}) {
        SInt32 version = 77;
        EXPECT_FALSE(GestaltVersionFromRelease(release, &version)) << release;
        EXPECT_EQ(77, version);
    }
    SInt32 version = 77;
    EXPECT_FALSE(GestaltVersionFromRelease(nullptr, &version));
}

TEST(Gestalt, AnswersFromTheRunningKernel)
{
    struct utsname names;
    ASSERT_EQ(0, uname(&names));
    SInt32 expected = 0;
    ASSERT_TRUE(GestaltVersionFromRelease(names.release, &expected));
    SInt32 version = -1;
    EXPECT_EQ(0, Gestalt(gestaltSystemVersion, &version));
    EXPECT_EQ(expected, version);
}

TEST(Gestalt, OverrideAndFailures)
{
    SInt32 version = 5;
    EXPECT_EQ(gestaltUndefSelectorErr, Gestalt(0x71756964, &version));
    GestaltOverrideKernelRelease("garbage");
    EXPECT_EQ(gestaltUnknownErr, Gestalt(gestaltSystemVersion, &version));
    EXPECT_EQ(5, version);
    GestaltOverrideKernelRelease("10.7.2");
    EXPECT_EQ(0, Gestalt(gestaltSystemVersion, &version));
    EXPECT_EQ(0x1072, version);
    GestaltOverrideKernelRelease(nullptr);
}

} // namespace
