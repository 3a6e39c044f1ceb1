#include "midi/MidiDeviceFactory.h"

#include "foundation/MilliTime.h"
#include "midi/MidiDeviceListeners.h"

#include <algorithm>

namespace Tr {

MidiDeviceFactory::MidiDeviceFactory() = default;

MidiDeviceFactory::~MidiDeviceFactory()
{
    SetCacheCount(0, 0, 0);
    SetCacheCount(1, 0, 0);
}

int MidiDeviceFactory::GetNumDevs(int dir)
{
    requireCache();
    BLockHolder hold(lock);
    return cacheOf(dir).count;
}

void MidiDeviceFactory::GetDeviceList(int dir, BList<MidiDeviceDescriptor*>& list)
{
    requireCache();
    BLockHolder hold(lock);
    auto const& cache = cacheOf(dir);
    for (int j = 0; j < cache.count; ++j) {
        MidiDeviceDescriptor* clone = cache.items[j] ? cache.items[j]->Clone() : nullptr;
        if (j < list.count)
            list.setItemAndDelete(j, clone);
        else
            list.add(clone);
    }
    while (list.count > cache.count)
        list.removeAndDelete(list.count - 1);
}

void MidiDeviceFactory::GetDeviceList(int dir, TStringList& list)
{
    listNames(dir, list, false);
}

void MidiDeviceFactory::GetPublicDeviceNameList(int dir, TStringList& list)
{
    listNames(dir, list, true);
}

void MidiDeviceFactory::requireCache()
{
    unsigned int now = getMilliTime();
    unsigned int previous = lastRequest.exchange(now);
    bool wasAsked = asked.exchange(true);
    if (wasAsked && now - previous < kCachePeriodMillis)
        return;
    BLockHolder hold(lock);
    BuildDeviceList(0, outputCache);
    BuildDeviceList(1, inputCache);
}

void MidiDeviceFactory::InvalidateCache()
{
    asked = false;
}

void MidiDeviceFactory::BuildDeviceList(int dir, BList<MidiDeviceDescriptor*>& list)
{
    recreateCache(dir, list);
    NumberDuplicates(list);
}

MidiDeviceDescriptor* MidiDeviceFactory::getDevice(bool input, int index)
{
    requireCache();
    BLockHolder hold(lock);
    auto const& cache = cacheOf(input ? 1 : 0);
    return index >= 0 && index < cache.count ? cache.items[index] : nullptr;
}

void MidiDeviceFactory::SetCacheCount(int dir, int count, int pad)
{
    BLockHolder hold(lock);
    auto& cache = cacheOf(dir);
    while (cache.count > std::max(count, 0))
        cache.removeAndDelete(cache.count - 1);
    while (pad && cache.count < count)
        cache.add(nullptr);
}

void MidiDeviceFactory::SetErrorListener(TMidiDeviceErrorListener* listener)
{
    errorListener = listener;
}

void MidiDeviceFactory::FireMidiErrorEvent(TMidiDeviceBase* device, BString const& text)
{
    if (TMidiDeviceErrorListener* listener = errorListener)
        listener->OnMidiDeviceError(device, text);
}

TMidiDeviceBase* MidiDeviceFactory::CreateInputDevice(MidiDeviceDescriptor* desc)
{
    return desc && desc->input ? CreateDevice(desc) : nullptr;
}

TMidiDeviceBase* MidiDeviceFactory::CreateOutputDevice(MidiDeviceDescriptor* desc)
{
    return desc && !desc->input ? CreateDevice(desc) : nullptr;
}

void MidiDeviceFactory::listNames(int dir, TStringList& list, bool publicNames)
{
    requireCache();
    BLockHolder hold(lock);
    auto const& cache = cacheOf(dir);
    list.Clear();
    list.SetCapacity(cache.count);
    for (int j = 0; j < cache.count; ++j) {
        MidiDeviceDescriptor* desc = cache.items[j];
        if (desc && (!publicNames || desc->publicName.isNotEmpty()))
            list.AddObject(publicNames ? desc->publicName : desc->GetName(),
                           reinterpret_cast<void*>(intptr_t(desc->index)));
    }
}

BList<MidiDeviceDescriptor*>& MidiDeviceFactory::cacheOf(int dir)
{
    return dir == 0 ? outputCache : inputCache;
}

} // namespace Tr
