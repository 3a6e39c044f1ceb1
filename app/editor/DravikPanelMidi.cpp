// The MIDI side of the settings panel: the output port box, the MIDI layer's part
// of start-up and shutdown, and SEND with the device's wait.
#include "app/editor/DravikContentPanel.h"

#include "app/JuceUtils.h"
#include "midi/MidiManager.h"

void DravikContentPanel::createMidiOutputBox()
{
    midiOutputBox = new ComboBoxMidi("MIDI Output Device", false);
    own(midiOutputBox);
    midiOutputBox->setTooltip("select the MIDI port to which your device is connected");
    midiOutputBox->setBounds(131, 18, 215, 19);
    midiOutputBox->addMidiListener(this);
    applyComboBoxDesign(midiOutputBox);
    addAndMakeVisible(midiOutputBox);
}

// The ports remembered in the ini file open as the MIDI layer leaves its
// suspended state; any output but the one the box names is dropped before.
void DravikContentPanel::startMidi()
{
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    manager->RefreshDevList(0, 0, 1);
    midiOutputBox->closeAllButChosen();
    manager->SetSuspended(0);
}

void DravikContentPanel::stopMidi()
{
    sendTimer.reset();
    if (Tr::MidiManager::IsInstanceAllocated())
        Tr::MidiManager::instance()->SetSuspended(1);
}

void DravikContentPanel::OnComboBoxMidiChange(ComboBoxMidi*)
{
    enableButtons();
}

bool DravikContentPanel::sendAllowed() const
{
    return !sending && midiOutputBox != nullptr && midiOutputBox->getSelectedItemIndex() > 0;
}

// The stored form of the document, exactly what SAVE writes; the document itself
// and its modified mark stay as they are.
void DravikContentPanel::send()
{
    unsigned char data[DravikDefaultTemplateSize];
    saveToMem(data, DravikDefaultTemplateSize);
    if (!JuceUtils::Confirm("Sending the data will write (and overwrite) all 19 programs.\n"
                            "Do you want to send all programs now?"))
        return;
    if (!Tr::MidiManager::instance()->SendMessageAllDevs(data, DravikDefaultTemplateSize)) {
        JuceUtils::ErrorDlg("An error occurred when sending the Dravik MIDI T File.\nPlease verify the MIDI port.");
        return;
    }
    if (!sendTimer)
        sendTimer.reset(Tr::CreateTimer(this));
    // A run of the timer that is just ending is stopped and waited for first: it
    // would otherwise disable the timer again as it ends, and the wait never ended.
    sendTimer->SetEnabled(0);
    sendTimer->SetInterval(sendWaitMs);
    sendTimer->SetEnabled(1);
    sending = true;
    sendButton->setButtonText("(waiting for device)");
    enableButtons();
}

int DravikContentPanel::OnTimer()
{
    juce::MessageManager::callAsync([panel = self] {
        if (auto* target = panel.getComponent())
            target->endOfSendWait();
    });
    return 0;
}

void DravikContentPanel::endOfSendWait()
{
    sending = false;
    sendButton->setButtonText("SEND");
    enableButtons();
}
