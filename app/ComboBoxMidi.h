#pragma once

#include "app/Runnable.h"
#include "foundation/BList.h"
#include "midi/MidiManagerListeners.h"
#include "midi/TMidiAlias.h"
#include "midi/TMidiAliasChangeListener.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

namespace Tr {
class MidiManagerDev;
}

class ComboBoxMidi;

// Told on the message thread when the port that a ComboBoxMidi shows as chosen changes.
class ComboBoxMidiListener {
public:
    virtual void OnComboBoxMidiChange(ComboBoxMidi* box) = 0;

protected:
    ~ComboBoxMidiListener() = default;
};

// Lists the present MIDI ports of one direction after "(none)" and shows the one
// that is open. Picking a port makes it the only open port of its direction; a
// bound box keeps the choice in the MIDI alias named like the box, which the ini
// file brings back at the next start. The box follows the MIDI layer by itself.
//
// Item ids: "(none)" is -1, a port its slot index + 1, so an id always names the
// same slot. Every change of the items and the selection happens on the message
// thread: MIDI events of other threads (a rescan after a device change) post one
// refresh, however many arrive before it runs.
class ComboBoxMidi : public juce::ComboBox,
                     public juce::ComboBox::Listener,
                     public Tr::TMidiDeviceListListener,
                     public Tr::MidiManagerDeviceControlListener,
                     public Tr::TMidiAliasChangeListener,
                     public Runnable {
public:
    // A box bound to the alias of that name.
    ComboBoxMidi(juce::String const& name, bool isInput);
    // An unbound box: it lists and selects, and never opens, closes or records anything.
    explicit ComboBoxMidi(bool isInput);
    ~ComboBoxMidi() override;

    void addMidiListener(ComboBoxMidiListener* listener);
    void removeMidiListener(ComboBoxMidiListener* listener);
    // The slot of the selected port; null for "(none)" and no selection.
    Tr::MidiManagerDev* getSelectedDevice();

    // Fills the list anew: at once on the message thread, else posted there.
    void refresh();
    // Selects the port that the alias names when it is open, else "(none)".
    void selectCurrentDev();
    // Closes every port of the box's direction but the one its alias names, and
    // drops their pending opens: an ini file of an older version may remember
    // several, and all open outputs receive what is sent.
    void closeAllButChosen();

    // The posted refresh.
    void run(void* data, int value) override;
    void OnMidiDeviceListChanged() override;
    void OnMidiAliasListChanged() override;
    void OnAfterOpenMidiDevice(int index, int input) override;
    void OnAfterCloseMidiDevice(int index, int input) override;
    // The user's choice.
    void comboBoxChanged(juce::ComboBox* box) override;

private:
    void init();
    void refreshImpl();
    // Tells the listeners when the selected id differs from the one told last.
    void checkForChange();
    // The open slot of the direction that bears the name; -1 when none.
    int openSlotNamed(Tr::BString const& name) const;
    // Opens the chosen slot and closes every other one, in slot order.
    void openOnly(int chosen, Tr::BString const& deviceName);
    Tr::TAliasType aliasType() const;
    int direction() const;

    bool const isInput;
    bool const useAlias;
    juce::String const aliasName;
    std::atomic<bool> refreshPosted{false};
    bool refreshRunning = false;
    // The user's choice is being carried out: the selection follows at its end.
    bool choosing = false;
    Tr::BList<ComboBoxMidiListener*> midiListeners;
    int lastSelectedId = -10;
    // Made on the message thread; other threads post copies of it.
    juce::Component::SafePointer<ComboBoxMidi> const self;
};
