// The install check as the first step of the content's init, with the test
// program itself on a disk image: its file stands for its own bundle.
#include "app/BContentBase.h"

#include "tests/app/DialogAnswers.h"
#include "tests/support/FakeVolumes.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace {

class InstallCheckAtInit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        volumes.mount(program.getParentDirectory().getFullPathName().toStdString(), "ext4", "/dev/loop3");
        volumes.loopDevice("loop3", "/images/tests.img");
    }

    juce::File const program = juce::File::getSpecialLocation(juce::File::currentExecutableFile);
    FakeVolumes volumes;
    std::string applications = volumes.folder("Applications");
    FileTest::ScopedEnv applicationsEnv { "DRAVIK_APPLICATIONS_DIR", applications.c_str() };
    DialogAnswers boxes;
};

TEST_F(InstallCheckAtInit, DecliningTheOfferGoesOnWithStartUp)
{
    boxes.answers = { JuceUtils::Cancel };
    BContentBase content;
    EXPECT_TRUE(content.init(""));
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_TRUE(boxes.shown[0].title.endsWith(" is currently running from a disk image"));
    EXPECT_EQ(0u, FileTest::entryCount(applications));
}

TEST_F(InstallCheckAtInit, ACopyThatCannotBeStartedIsReportedAndEndsStartUp)
{
    boxes.answers = { JuceUtils::Ok, JuceUtils::Ok, JuceUtils::Ok };
    BContentBase content;
    EXPECT_FALSE(content.init(""));
    ASSERT_EQ(3u, boxes.shown.size());
    EXPECT_TRUE(boxes.shown[1].title.endsWith(" installed successfully"));
    EXPECT_EQ(juce::String("Information"), boxes.shown[2].title);
    EXPECT_EQ("Error restarting " + program.getFileNameWithoutExtension() + ".\nPlease start it manually.",
              boxes.shown[2].message);
    EXPECT_TRUE(juce::File(applications).getChildFile(program.getFileName()).existsAsFile());
}

} // namespace
