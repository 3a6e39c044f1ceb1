#include "app/ABaseDialog.h"
#include "app/MultilineLabel.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SizedDialog : public ABaseDialog
{
public:
    SizedDialog(juce::Component* parent, bool modal) : ABaseDialog("Dialog", parent, modal) {}

    juce::Component* createContent() override { return new juce::Label({}, "content"); }
    bool afterInit() override { return initResult; }
    int getContentWidth() override { return 240; }
    int getContentHeight() override { return 120; }

    bool initResult = true;
};

juce::Point<int> screenCentre()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea.getCentre();
}

TEST(BaseDialog, InitTakesTheContentAndAnswersWithAfterInit)
{
    SizedDialog dialog(nullptr, false);
    dialog.initResult = false;
    EXPECT_FALSE(dialog.init());
    ASSERT_NE(nullptr, dialog.getContentComponent());
    EXPECT_EQ(240, dialog.getContentComponent()->getWidth());
    EXPECT_EQ(120, dialog.getContentComponent()->getHeight());
}

TEST(BaseDialog, IsCentredOverItsParentsWindowOrOnTheScreenWhenThatHasNoSize)
{
    juce::DocumentWindow window("parent", juce::Colours::grey, 0);
    window.setBounds(50, 60, 700, 500);
    juce::Component child;
    window.setContentNonOwned(&child, false);

    SizedDialog dialog(&child, false);
    dialog.init();
    EXPECT_EQ(window.getBounds().getCentre(), dialog.getBounds().getCentre());

    juce::Component unsized;
    dialog.setParent(&unsized);
    dialog.reposition();
    EXPECT_NEAR(screenCentre().x, dialog.getBounds().getCentreX(), 1);
    EXPECT_NEAR(screenCentre().y, dialog.getBounds().getCentreY(), 1);

    dialog.setParent(nullptr);
    dialog.setTopLeftPosition(0, 0);
    dialog.reposition();
    EXPECT_NEAR(screenCentre().x, dialog.getBounds().getCentreX(), 1);
}

TEST(BaseDialog, AModalDialogReturnsWhenClosedAndANonModalOneIsJustShown)
{
    SizedDialog modal(nullptr, true);
    modal.init();
    bool wasShownModal = false;
    juce::MessageManager::callAsync([&] {
        wasShownModal = modal.isCurrentlyModal() && modal.isVisible();
        modal.closeButtonPressed();
    });
    modal.showTheDialog(true);
    EXPECT_TRUE(wasShownModal);
    EXPECT_FALSE(modal.isVisible());

    SizedDialog modeless(nullptr, false);
    modeless.init();
    modeless.showTheDialog(false);
    EXPECT_TRUE(modeless.isVisible());
    EXPECT_FALSE(modeless.isCurrentlyModal());
}

TEST(MultilineLabel, WrapsItsTextAndTakesItsHeight)
{
    MultilineLabel label;
    label.setSize(120, 10);
    label.setText("one line");
    label.adjustHeightToFitText();
    int oneLine = label.getHeight();
    label.setText("a text long enough to need several lines at this width, so it wraps");
    label.adjustHeightToFitText();
    EXPECT_EQ(120, label.getWidth());
    EXPECT_GE(label.getHeight(), 3 * oneLine);
    EXPECT_TRUE(label.isReadOnly());
}

} // namespace
