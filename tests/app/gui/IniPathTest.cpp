#include "GuiTestSupport.h"

#include "app/IniPath.h"
#include "app/JuceUtils.h"
#include "foundation/gui/JuceString.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The test program stands for its own bundle: "<program>.kset" lies beside it.
class PerUserIniPath : public ::testing::Test
{
protected:
    void SetUp() override { ::setenv("HOME", temp.folder.getFullPathName().toRawUTF8(), 1); }
    void TearDown() override
    {
        besideBundle.deleteFile();
        ::setenv("HOME", previousHome.toRawUTF8(), 1);
    }

    shelltest::TempFolder temp;
    juce::String previousHome = juce::SystemStats::getEnvironmentVariable("HOME", {});
    juce::File bundle = JuceUtils::getBundleFile();
    juce::File besideBundle = bundle.getSiblingFile(bundle.getFileNameWithoutExtension() + ".kset");
};

TEST_F(PerUserIniPath, IsTheBundleNameInTheHiddenSettingsFolder)
{
    ASSERT_FALSE(besideBundle.exists());
    juce::String expected = temp.folder.getFullPathName() + "/.Dravikon/" + besideBundle.getFileName();
    EXPECT_EQ(expected, Tr::JuceStringFrom(perUserIniFilePath()));
}

TEST_F(PerUserIniPath, IsTheFileBesideTheBundleWhenThereIsOne)
{
    ASSERT_TRUE(besideBundle.create());
    EXPECT_EQ(besideBundle.getFullPathName(), Tr::JuceStringFrom(perUserIniFilePath()));
}

} // namespace
