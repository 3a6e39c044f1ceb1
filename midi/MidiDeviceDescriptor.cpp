#include "midi/MidiDeviceDescriptor.h"

#include "midi/MidiDeviceFactory.h"

namespace Tr {

namespace {

// Both have a factory, and they differ.
bool fromOtherFactory(MidiDeviceDescriptor const& a, MidiDeviceDescriptor const& b)
{
    return a.factory && b.factory && a.factory != b.factory;
}

// The name without one leading "From " and then one leading "To ".
BString withoutDirectionWord(BString const& name)
{
    BString rest = name.startsWith("From ") ? name.substr(5) : name;
    return rest.startsWith("To ") ? rest.substr(3) : rest;
}

} // namespace

MidiDeviceDescriptor::MidiDeviceDescriptor() : factory(nullptr), input(0), index(0), duplicateNumber(0) {}

MidiDeviceDescriptor::MidiDeviceDescriptor(MidiDeviceFactory* factory, int input, int index, BString const& name,
                                           BString const& serial, BString const& interfaceId,
                                           BString const& furtherId)
    : factory(factory), input(input), index(index), name(name), duplicateNumber(0), interfaceId(interfaceId),
      serial(serial), furtherId(furtherId)
{
}

MidiDeviceDescriptor::~MidiDeviceDescriptor() = default;

void MidiDeviceDescriptor::AssignFrom(MidiDeviceDescriptor const& other)
{
    factory = other.factory;
    input = other.input;
    index = other.index;
    name = other.name;
    publicName = other.publicName;
    duplicateNumber = other.duplicateNumber;
    interfaceId = other.interfaceId;
    serial = other.serial;
    furtherId = other.furtherId;
}

MidiDeviceDescriptor* MidiDeviceDescriptor::Clone() const
{
    auto copy = new MidiDeviceDescriptor;
    copy->AssignFrom(*this);
    return copy;
}

int MidiDeviceDescriptor::Matches(MidiDeviceDescriptor const* other) const
{
    if (!other || fromOtherFactory(*this, *other))
        return 0;
    if (input != other->input || name != other->name || publicName != other->publicName)
        return 0;
    if (interfaceId.isEmpty() && serial.isEmpty())
        return duplicateNumber == other->duplicateNumber;
    return interfaceId.equalsIgnoreCase(other->interfaceId) && serial.equalsIgnoreCase(other->serial);
}

int MidiDeviceDescriptor::isPairOf(MidiDeviceDescriptor const* other) const
{
    if (!other || fromOtherFactory(*this, *other) || input == other->input)
        return 0;
    if (interfaceId.isNotEmpty())
        return interfaceId == other->interfaceId;
    return publicName == other->publicName &&
           withoutDirectionWord(name) == withoutDirectionWord(other->name) &&
           duplicateNumber == other->duplicateNumber;
}

int MidiDeviceDescriptor::IsEqual(MidiDeviceDescriptor const* other) const
{
    return other && factory == other->factory && input == other->input &&
           duplicateNumber == other->duplicateNumber && index == other->index && name == other->name &&
           publicName == other->publicName && serial == other->serial && furtherId == other->furtherId &&
           interfaceId == other->interfaceId;
}

BString MidiDeviceDescriptor::GetName() const
{
    return duplicateNumber > 1 ? BString::format("%s (%d)", name.c_str(), duplicateNumber) : name;
}

void MidiDeviceDescriptor::InvalidateSerialAndInterface()
{
    serial.clear();
    interfaceId.clear();
}

int MidiDeviceDescriptor::GetType() const
{
    return factory ? factory->GetType() : 0;
}

BString MidiDeviceDescriptor::GetTypeName() const
{
    return factory ? factory->GetTypeName(input) : BString();
}

TMidiDeviceBase* MidiDeviceDescriptor::CreateDevice()
{
    return factory ? factory->CreateDevice(this) : nullptr;
}

TMidiDeviceBase* MidiDeviceDescriptor::CreateInputDevice()
{
    return input ? CreateDevice() : nullptr;
}

TMidiDeviceBase* MidiDeviceDescriptor::CreateOutputDevice()
{
    return input ? nullptr : CreateDevice();
}

} // namespace Tr
