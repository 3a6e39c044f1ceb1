#include "midi/MidiManager.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace Tr {

void MidiManager::loadFromIniFile(TIniFile& ini)
{
    if (!persistence)
        return;
    loadSection(ini, 1);
    loadSection(ini, 0);
}

void MidiManager::saveToIniFile(TIniFile& ini)
{
    if (!persistence)
        return;
    saveSection(ini, 1);
    saveSection(ini, 0);
}

// Keyed as findByNameAndType matches: the type, and the slot's name or, for the
// maker's own virtual ports, its device's name, ignoring case; the last slot wins.
std::map<std::pair<unsigned int, BString>, int> MidiManager::slotsByTypeAndName(int input)
{
    std::map<std::pair<unsigned int, BString>, int> index;
    BList<MidiManagerDev*>& slots = slotsOf(input);
    for (int i = 0; i < slots.count; ++i) {
        MidiManagerDev* slot = slots.items[i];
        unsigned int type = unsigned(slot->descriptor->GetType());
        index[{type, slot->descriptor->GetName().toUpper()}] = i;
        if (type == kMidiTypePexaVirtual && slot->device)
            index[{type, slot->device->GetDescriptor()->GetName().toUpper()}] = i;
    }
    return index;
}

// The slots are looked up in an index made once, under both locks for the whole
// section, so that the index stays true.
void MidiManager::loadSection(TIniFile& ini, int input)
{
    char const* section = input ? "MIDI.in" : "MIDI.out";
    BLockHolder hold(lock);
    BLockHolder holdState(MidiManagerDev::StateLock());
    std::map<std::pair<unsigned int, BString>, int> known = slotsByTypeAndName(input);
    for (int n = 0; ini.ValueExists(section, IniListKey("Name", n)); ++n) {
        std::unique_ptr<MidiManagerDev> entry(input ? static_cast<MidiManagerDev*>(new MMDevIn(nullptr, 0))
                                                    : new MMDevOut(nullptr, 0));
        entry->loadFromIniFile(ini, n);
        BString name = entry->GetDisplayDevName();
        auto slot = known.emplace(std::make_pair(entry->GetType(), name.toUpper()), -1).first;
        // A nameless entry would make a slot that nothing finds and every exit saves.
        if (slot->second < 0 && name.isNotEmpty())
            slot->second = appendPlaceholder(name, input, entry->GetType());
        if (slot->second >= 0)
            slotsOf(input).items[slot->second]->pending = 1;
    }
}

// The old entries go first, in one pass, so that writing an entry only appends it.
void MidiManager::saveSection(TIniFile& ini, int input)
{
    std::vector<MidiManagerDev*> saved;
    for (int i = 0; i < GetDevCount(input); ++i) {
        MidiManagerDev* slot = GetDevDescriptor(i, input);
        if (slot->IsPending() || slot->IsOpen())
            saved.push_back(slot);
    }
    DeleteIniList(ini, input ? "MIDI.in" : "MIDI.out", {"Name", "Options"}, int(saved.size()));
    for (size_t n = 0; n < saved.size(); ++n)
        saved[n]->saveToIniFile(ini, int(n));
}

} // namespace Tr
