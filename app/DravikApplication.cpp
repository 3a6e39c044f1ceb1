#include "app/DravikApplication.h"

#include "app/DravikWindow.h"

DravikApplication::DravikApplication() = default;

DravikApplication::~DravikApplication() = default;

const juce::String DravikApplication::getApplicationName()
{
    return L"Dravik MIDI T";
}

const juce::String DravikApplication::getApplicationVersion()
{
    return L"2.0";
}

bool DravikApplication::moreThanOneInstanceAllowed()
{
    return false;
}

void DravikApplication::initialise(juce::String const& commandLine)
{
    window = std::make_unique<DravikWindow>(L"Dravik MIDI T");
    window->init(commandLine, false, false);
}

void DravikApplication::shutdown()
{
    window.reset();
}

void DravikApplication::anotherInstanceStarted(juce::String const&)
{
}

void DravikApplication::systemRequestedQuit()
{
    if (BWindow* mainWindow = BWindow::getInstance())
        mainWindow->closeButtonPressed();
    else
        quit();
}
