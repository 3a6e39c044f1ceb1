#include "app/DravikWindow.h"

DravikWindow::DravikWindow(juce::String const& name)
    : BWindow(name)
{
    setBackgroundColour(juce::Colour(240, 240, 240));
}

BContentBase* DravikWindow::createContentPanel()
{
    return CreateContentPanel();
}
