#include "app/ComboBoxMidi.h"

#include "app/JuceUtils.h"
#include "foundation/Exception.h"
#include "foundation/gui/JuceString.h"
#include "midi/MidiManager.h"
#include "midi/TMidiAliasManager.h"

namespace {

constexpr int noneId = -1;

char const* const notPluggedIn = "Device is not plugged in. It will be used after plugging it in.";

juce::String boxName(bool isInput)
{
    return juce::String("ComboBox MIDI ") + (isInput ? "IN" : "OUT");
}

bool onMessageThread()
{
    return juce::MessageManager::existsAndIsCurrentThread();
}

} // namespace

ComboBoxMidi::ComboBoxMidi(juce::String const& name, bool isInput)
    : juce::ComboBox(boxName(isInput)), isInput(isInput), useAlias(true), aliasName(name), self(this)
{
    init();
}

ComboBoxMidi::ComboBoxMidi(bool isInput)
    : juce::ComboBox(boxName(isInput)), isInput(isInput), useAlias(false), self(this)
{
    init();
}

// The list stays empty until the MIDI layer's first device-list change or a
// selection update fills it.
void ComboBoxMidi::init()
{
    addListener(this);
    setEditableText(false);
    setJustificationType(juce::Justification::left);
    setTextWhenNothingSelected("(none)");
    setTextWhenNoChoicesAvailable("(no devices available)");
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    manager->AddDevListChangeListener(this);
    manager->AddDeviceControlListener(this);
    Tr::TMidiAliasManager::instance()->AddAliasChangeListener(this);
}

// The MIDI layer may be gone at the end of the program: it is not made again here.
// Once the removals return, no other thread is inside a call of this box.
ComboBoxMidi::~ComboBoxMidi()
{
    removeListener(this);
    if (Tr::MidiManager::IsInstanceAllocated()) {
        Tr::MidiManager* manager = Tr::MidiManager::instance();
        manager->RemoveDevListChangeListener(this);
        manager->RemoveDeviceControlListener(this);
    }
    if (Tr::TMidiAliasManager::IsInstanceAllocated())
        Tr::TMidiAliasManager::instance()->RemoveAliasChangeListener(this);
}

void ComboBoxMidi::addMidiListener(ComboBoxMidiListener* listener)
{
    midiListeners.addIfNotExists(listener);
}

void ComboBoxMidi::removeMidiListener(ComboBoxMidiListener* listener)
{
    midiListeners.remove(midiListeners.indexOf(listener));
}

Tr::MidiManagerDev* ComboBoxMidi::getSelectedDevice()
{
    int id = getSelectedId();
    return id > 0 ? Tr::MidiManager::instance()->GetDevDescriptor(id - 1, direction()) : nullptr;
}

void ComboBoxMidi::refresh()
{
    if (onMessageThread()) {
        if (!refreshRunning)
            refreshImpl();
        return;
    }
    if (refreshPosted.exchange(true))
        return;
    juce::MessageManager::callAsync([box = self] {
        if (auto* target = box.getComponent())
            target->run(nullptr, 0);
    });
}

void ComboBoxMidi::run(void*, int)
{
    refreshImpl();
}

// The selection is kept while the list is made anew, then set from the alias.
void ComboBoxMidi::refreshImpl()
{
    refreshPosted = false;
    const juce::ScopedValueSetter<bool> running(refreshRunning, true);
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    int kept = getSelectedId();
    clear(juce::dontSendNotification);
    addItem("(none)", noneId);
    for (int k = 0, count = manager->GetDevCount(direction()); k < count; ++k) {
        Tr::MidiManagerDev* slot = nullptr;
        if (manager->GetDevDescriptor(k, direction(), slot) && slot->Exists())
            addItem(Tr::JuceStringFrom(slot->GetDisplayDevName()), k + 1);
    }
    setSelectedId(indexOfItemId(kept) >= 0 ? kept : noneId, juce::dontSendNotification);
    if (useAlias)
        selectCurrentDev();
    else
        checkForChange();
}

void ComboBoxMidi::selectCurrentDev()
{
    if (!onMessageThread())
        return refresh();
    if (!useAlias)
        return checkForChange();
    if (getNumItems() == 0)
        return refresh();
    if (choosing)
        return;
    Tr::TMidiAlias* alias =
        Tr::TMidiAliasManager::instance()->GetAliasByName(Tr::StringFrom(aliasName), aliasType(), 1);
    int index = openSlotNamed(alias->GetDeviceName());
    setSelectedId(index >= 0 ? index + 1 : noneId, juce::dontSendNotification);
    checkForChange();
}

// Two slots may bear one name: a chosen port that waits to come back, and another
// port that shows its name meanwhile. The chosen one is the one that is open.
int ComboBoxMidi::openSlotNamed(Tr::BString const& name) const
{
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    for (int k = manager->GetDevCount(direction()) - 1; k >= 0; --k) {
        Tr::MidiManagerDev* slot = manager->GetDevDescriptor(k, direction());
        if (slot && slot->IsOpen() && slot->GetName() == name)
            return k;
    }
    return -1;
}

void ComboBoxMidi::closeAllButChosen()
{
    if (!useAlias)
        return;
    Tr::TMidiAlias* alias =
        Tr::TMidiAliasManager::instance()->GetAliasByName(Tr::StringFrom(aliasName), aliasType(), 1);
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    Tr::BString deviceName = alias->GetDeviceName();
    int chosen = deviceName.isEmpty() ? -1 : manager->GetDevIndex(deviceName, direction());
    for (int i = 0, count = manager->GetDevCount(direction()); i < count; ++i)
        if (i != chosen)
            manager->Close(i, direction(), 0, 1);
}

void ComboBoxMidi::checkForChange()
{
    int id = getSelectedId();
    if (id == lastSelectedId)
        return;
    lastSelectedId = id;
    for (int i = 0; i < midiListeners.count; ++i)
        midiListeners.items[i]->OnComboBoxMidiChange(this);
}

void ComboBoxMidi::OnMidiDeviceListChanged()
{
    refresh();
}

void ComboBoxMidi::OnMidiAliasListChanged()
{
    selectCurrentDev();
}

void ComboBoxMidi::OnAfterOpenMidiDevice(int, int input)
{
    if ((input != 0) == isInput)
        selectCurrentDev();
}

void ComboBoxMidi::OnAfterCloseMidiDevice(int, int input)
{
    if ((input != 0) == isInput)
        selectCurrentDev();
}

// The alias change and every open and close are told when the choice has been
// carried out, so that the listeners hear of the new selection once.
void ComboBoxMidi::comboBoxChanged(juce::ComboBox*)
{
    if (!useAlias)
        return;
    Tr::MidiManagerDev* slot = getSelectedDevice();
    Tr::BString deviceName = slot ? slot->GetName() : Tr::BString();
    {
        const juce::ScopedValueSetter<bool> carryingOut(choosing, true);
        Tr::TMidiAliasManager* aliases = Tr::TMidiAliasManager::instance();
        Tr::TMidiAliasBatch batch(*aliases);
        try {
            Tr::BString name = Tr::StringFrom(aliasName);
            aliases->ModifyAlias(name, aliasType(), name, deviceName, true);
            openOnly(slot ? slot->GetIndex() : -1, deviceName);
        } catch (Tr::Exception const& e) {
            JuceUtils::ErrorDlg("Error opening MIDI device: " + juce::String::fromUTF8(e.what()));
        }
    }
    selectCurrentDev();
}

// A port that cannot be opened now (unplugged, or the MIDI layer suspended) stays
// pending: the MIDI layer opens it once it is there.
void ComboBoxMidi::openOnly(int chosen, Tr::BString const& deviceName)
{
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    for (int i = 0, count = manager->GetDevCount(direction()); i < count; ++i) {
        if (i != chosen) {
            manager->Close(i, direction(), 0, 1);
            continue;
        }
        try {
            manager->Open(i, direction(), 1);
            Tr::MidiManagerDev* slot = manager->GetDevDescriptor(i, direction());
            if (slot && slot->IsPending())
                throw Tr::Exception(notPluggedIn);
        } catch (Tr::Exception const& e) {
            JuceUtils::ErrorDlg(Tr::JuceStringFrom(
                Tr::BString::format("Error opening MIDI device '%s':\n%s", deviceName.c_str(), e.what())));
        }
    }
}

Tr::TAliasType ComboBoxMidi::aliasType() const
{
    return isInput ? Tr::AliasMidiIn : Tr::AliasMidiOut;
}

int ComboBoxMidi::direction() const
{
    return isInput ? 1 : 0;
}
