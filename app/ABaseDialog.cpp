#include "app/ABaseDialog.h"

#include "app/JuceUtils.h"

ABaseDialog::ABaseDialog(juce::String const& title, juce::Component* parentComponent, bool isModal)
    : juce::DialogWindow(title, juce::Colours::lightgrey, true, true), modal(isModal), parent(parentComponent)
{
}

bool ABaseDialog::init()
{
    setContentOwned(createContent(), false);
    reposition();
    return afterInit();
}

void ABaseDialog::reposition()
{
    setContentComponentSize(getContentWidth(), getContentHeight());
    juce::Component* window = parent != nullptr ? parent->getTopLevelComponent() : nullptr;
    if (window != nullptr && window->getWidth() > 0 && window->getHeight() > 0)
        JuceUtils::center(this, window);
    else
        centreWithSize(getWidth(), getHeight());
}

void ABaseDialog::closeButtonPressed()
{
    setVisible(false);
    exitModalState(0);
}

void ABaseDialog::showTheDialog(bool repositionFirst)
{
    if (repositionFirst)
        reposition();
    if (!modal || isCurrentlyModal()) {
        setVisible(true);
    } else {
        JuceUtils::DialogOnScreen onScreen;
        runModalLoop();
    }
    toFront(false);
}
