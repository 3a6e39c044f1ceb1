#include "app/HoverTooltipWindow.h"

HoverTooltipWindow::HoverTooltipWindow(juce::Component& owner)
    : owner(owner)
{
    owner.addMouseListener(this, true);
}

HoverTooltipWindow::~HoverTooltipWindow()
{
    owner.removeMouseListener(this);
}

void HoverTooltipWindow::mouseEnter(juce::MouseEvent const&)
{
    if (window == nullptr)
        window = std::make_unique<juce::TooltipWindow>(&owner);
}

// Moving from one control to the next leaves the first: the window stays while
// the pointer is still inside the owner.
void HoverTooltipWindow::mouseExit(juce::MouseEvent const& event)
{
    if (!owner.getScreenBounds().contains(event.getScreenPosition()))
        window.reset();
}
