#pragma once

#include "app/BWindow.h"

// Made by the application's content factory: the device settings panel.
BContentBase* CreateContentPanel();

// The editor's main window: light grey, with the content from CreateContentPanel.
class DravikWindow : public BWindow
{
public:
    explicit DravikWindow(juce::String const& name);

    BContentBase* createContentPanel() override;
};
