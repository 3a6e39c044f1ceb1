#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// Shows the tooltips of a component and of everything in it. JUCE's tooltip
// window asks the X server where the pointer is about 18 times a second (its
// own timer and the desktop's global mouse listener), so it exists only while
// the pointer is over the component: an idle window pays nothing for tooltips
// while the pointer is elsewhere.
class HoverTooltipWindow : private juce::MouseListener
{
public:
    explicit HoverTooltipWindow(juce::Component& owner);
    ~HoverTooltipWindow() override;
    HoverTooltipWindow(HoverTooltipWindow const&) = delete;
    HoverTooltipWindow& operator=(HoverTooltipWindow const&) = delete;

private:
    void mouseEnter(juce::MouseEvent const& event) override;
    void mouseExit(juce::MouseEvent const& event) override;

    juce::Component& owner;
    std::unique_ptr<juce::TooltipWindow> window;
};
