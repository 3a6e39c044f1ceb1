#include "midi/TMidiAlias.h"

#include "foundation/Exception.h"
#include "midi/TMidiAliasManager.h"

namespace Tr {

BString const SECTION_ALIAS = "MIDI.alias";
BString const IDENT_NAME = "Name";
BString const IDENT_DEVICE = "Device";
BString const MidiAliasMagic = "MIDA";
BString const SAliasNone = "None";
BString const SAliasMidiIn = "MIDI IN";
BString const SAliasMidiOut = "MIDI OUT";
BString const SAliasSerial = "Serial Port";

namespace {

constexpr int kMagicLength = 4;
constexpr int kCountDigits = 4;

// Exactly four hexadecimal digits at position.
bool readCount(BString const& text, int position, unsigned int& count)
{
    if (text.length() - position < kCountDigits)
        return false;
    for (int i = 0; i < kCountDigits; ++i)
        if (!BString::isHexNumberChar(text[position + i]))
            return false;
    return text.parseHex(count, position, kCountDigits);
}

} // namespace

BString GetAliasTypeDisplayString(TAliasType type)
{
    switch (type) {
    case AliasNone:
        return SAliasNone;
    case AliasMidiIn:
        return SAliasMidiIn;
    case AliasMidiOut:
        return SAliasMidiOut;
    case AliasSerial:
        return SAliasSerial;
    }
    return BString();
}

bool IsLegalMidiAliasName(BString const& name)
{
    return name.isNotEmpty() && !name.contains('"');
}

int ReadMidiAliasNames(BString const& text, int start, std::function<void(unsigned int)> const& counted,
                       std::function<void(BString const&)> const& named)
{
    if (start < 0 || start > text.length() || !MidiAliasMagic.equalsSubstr(text, start, kMagicLength))
        return 0;
    unsigned int entries = 0;
    int position = kMagicLength;
    if (!readCount(text, start + position, entries))
        throw Exception("illegal alias list: no count after \"" + MidiAliasMagic + "\"");
    position += kCountDigits;
    counted(entries);
    for (unsigned int i = 0; i < entries && start + position < text.length(); ++i) {
        BString name;
        position += DecodeStringFromIniFile(text, start + position, name);
        named(name);
    }
    return position;
}

BLock& TMidiAlias::StateLock()
{
    static BLock* lock = new BLock;
    return *lock;
}

TMidiAlias::TMidiAlias(BString const& name, BString const& deviceName, TAliasType type)
    : type(type), name(name), deviceName(deviceName)
{
}

TMidiAlias::TMidiAlias(BString const& name, TIniFile& ini, int index) : type(AliasNone), name(name)
{
    loadFromIniFile(ini, index);
}

TMidiAlias::~TMidiAlias() = default;

void TMidiAlias::loadFromIniFile(TIniFile& ini, int index)
{
    BString value = ini.ReadString(SECTION_ALIAS, IniListKey(IDENT_DEVICE, index), BString());
    int colon = value.indexOf(':');
    int number = colon > 0 ? value.substr(0, colon).parseIntDef(-1) : -1;
    bool valid = number >= AliasNone && number <= AliasSerial;
    BLockHolder hold(StateLock());
    type = valid ? TAliasType(number) : AliasNone;
    deviceName = valid ? value.substr(colon + 1) : BString();
}

void TMidiAlias::saveToIniFile(TIniFile& ini, int index) const
{
    BString aliasName;
    BString device;
    {
        BLockHolder hold(StateLock());
        aliasName = name;
        device = BString::fromInt(int(type)) + ":" + deviceName;
    }
    ini.WriteString(SECTION_ALIAS, IniListKey(IDENT_NAME, index), aliasName);
    ini.WriteString(SECTION_ALIAS, IniListKey(IDENT_DEVICE, index), device);
}

int TMidiAlias::SameAs(BString const& otherName, TAliasType otherType) const
{
    BLockHolder hold(StateLock());
    return type == otherType && name.equalsIgnoreCase(otherName);
}

TAliasType TMidiAlias::GetType() const
{
    BLockHolder hold(StateLock());
    return type;
}

BString TMidiAlias::GetName() const
{
    BLockHolder hold(StateLock());
    return name;
}

BString TMidiAlias::GetDeviceName() const
{
    BLockHolder hold(StateLock());
    return deviceName;
}

int TMidiAlias::IsInput() const
{
    TAliasType current = GetType();
    return current == AliasMidiIn || current == AliasSerial;
}

int TMidiAlias::GetProjectUse() const
{
    BLockHolder hold(StateLock());
    return projectUse;
}

int TMidiAlias::GetMidiManagerDevIndex() const
{
    BLockHolder hold(StateLock());
    return midiManagerDevIndex;
}

unsigned int TMidiAlias::GetMidiManagerDevType() const
{
    BLockHolder hold(StateLock());
    return midiManagerDevType;
}

void TMidiAlias::SetMidiManagerDev(int index, unsigned int devType)
{
    BLockHolder hold(StateLock());
    midiManagerDevIndex = index;
    midiManagerDevType = devType;
}

void TMidiAliasList::Add(TMidiAlias* alias)
{
    if (alias && indexOf(alias) < 0)
        add(alias);
}

void TMidiAliasList::Add(TMidiAliasList const* other)
{
    if (!other || other == this)
        return;
    setCapacity(count + other->count, 1);
    for (int i = 0; i < other->count; ++i)
        Add(other->items[i]);
}

void TMidiAliasList::AssignFrom(TMidiAliasList const* other)
{
    if (other == this)
        return;
    clear();
    Add(other);
}

TMidiAlias* TMidiAliasList::GetAlias(int index) const
{
    return items[index];
}

int TMidiAliasList::Exists(BString const& name, TAliasType type) const
{
    return GetAliasByNameAndType(name, type) != nullptr;
}

TMidiAlias* TMidiAliasList::GetAliasByNameAndType(BString const& name, TAliasType type) const
{
    for (int i = 0; i < count; ++i)
        if (items[i]->SameAs(name, type))
            return items[i];
    return nullptr;
}

TMidiAlias* TMidiAliasList::GetAliasByName(BString const& name) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    for (int i = 0; i < count; ++i)
        if (items[i]->name.equalsIgnoreCase(name))
            return items[i];
    return nullptr;
}

int TMidiAliasList::GetCountOfType(TAliasType type) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    int found = 0;
    for (int i = 0; i < count; ++i)
        found += items[i]->type == type ? 1 : 0;
    return found;
}

int TMidiAliasList::ContainsMidiManagerDevIndex(int index) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    for (int i = 0; i < count; ++i)
        if (items[i]->midiManagerDevIndex == index)
            return 1;
    return 0;
}

int TMidiAliasList::ContainsMidiManagerDevType(unsigned int type) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    for (int i = 0; i < count; ++i)
        if (items[i]->midiManagerDevType == type)
            return 1;
    return 0;
}

BString TMidiAliasList::ExportToString(TAliasType type) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    BString names;
    unsigned int found = 0;
    for (int i = 0; i < count; ++i) {
        if (items[i]->type != type)
            continue;
        names += EncodeStringForIniFile(items[i]->name);
        ++found;
    }
    return MidiAliasMagic + BString::toHex(found, kCountDigits) + names;
}

int TMidiAliasList::ImportFromString(BString const& text, int start, TAliasType type)
{
    clear();
    TMidiAliasManager* manager = nullptr;
    return ReadMidiAliasNames(
        text, start,
        [this, &manager](unsigned int entries) {
            setCapacity(int(entries), 0);
            manager = TMidiAliasManager::instance();
        },
        [this, &manager, type](BString const& name) { Add(manager->GetAliasByName(name, type, 1)); });
}

BString TMidiAliasList::getCommaSeparatedString() const
{
    BLockHolder hold(TMidiAlias::StateLock());
    BString joined;
    for (int i = 0; i < count; ++i) {
        if (items[i]->type == AliasNone)
            continue;
        if (joined.isNotEmpty())
            joined += ", ";
        BString const& name = items[i]->name;
        joined += name.contains(',') ? "\"" + name + "\"" : name;
    }
    return joined;
}

} // namespace Tr
