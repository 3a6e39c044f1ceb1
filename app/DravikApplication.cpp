#include "app/DravikApplication.h"

#include "app/DravikWindow.h"
#include "foundation/Diagnostics.h"

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
    return true;
}

// A second start by the same user ends here, without a window. Without a lock
// (no private folder for it) the editor still starts.
void DravikApplication::initialise(juce::String const& commandLine)
{
    instanceLock = std::make_unique<Tr::UserInstanceLock>("Dravik MIDI T.lock");
    Tr::InstanceLock::Result lock = instanceLock->acquire();
    if (lock == Tr::InstanceLock::HeldElsewhere) {
        quit();
        return;
    }
    if (lock == Tr::InstanceLock::Unavailable)
        Tr::EH_out(Tr::EH_WARNING, "The single-instance lock cannot be taken; starting anyway.");
    quitSignals = std::make_unique<QuitSignals>([this] { systemRequestedQuit(); });
    window = std::make_unique<DravikWindow>(L"Dravik MIDI T");
    window->init(commandLine, false, false);
}

void DravikApplication::shutdown()
{
    quitSignals.reset();
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
