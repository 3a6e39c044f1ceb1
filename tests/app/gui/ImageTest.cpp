#include "GuiTestSupport.h"

#include "app/JuceUtils.h"

#include <gtest/gtest.h>

namespace {

// The test program is not in a bundle, so images come from the development
// tree: "resources" three folders above the working folder.
class ResourceImages : public shelltest::InDevelopmentTree {};

TEST_F(ResourceImages, ComeFromTheDevelopmentTreeAsDrawableOrImage)
{
    shelltest::writePng(temp.folder.getChildFile("resources/picture.png"), 40, 30);

    std::unique_ptr<juce::Drawable> drawable(JuceUtils::getDrawable("picture.png"));
    ASSERT_NE(nullptr, drawable);
    EXPECT_EQ(juce::Rectangle<float>(0, 0, 40, 30), drawable->getDrawableBounds());

    std::unique_ptr<juce::Image> image(JuceUtils::getImage("picture.png"));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(40, image->getWidth());
    EXPECT_EQ(30, image->getHeight());
}

TEST_F(ResourceImages, MissingOrUndecodableFilesGiveNull)
{
    temp.folder.getChildFile("resources").createDirectory();
    temp.folder.getChildFile("resources/broken.png").replaceWithText("not an image");

    EXPECT_EQ(nullptr, JuceUtils::getDrawable("missing.png"));
    EXPECT_EQ(nullptr, JuceUtils::getImage("missing.png"));
    EXPECT_EQ(nullptr, JuceUtils::getDrawable("broken.png"));
    EXPECT_EQ(nullptr, JuceUtils::getImage("broken.png"));
}

TEST(BundleFile, IsTheExecutableItselfOutsideABundle)
{
    EXPECT_EQ(juce::File::getSpecialLocation(juce::File::currentExecutableFile), JuceUtils::getBundleFile());
}

} // namespace
