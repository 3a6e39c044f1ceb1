#include "foundation/PexaSystem.h"

#include <mutex>

namespace Tr {

namespace {

// Constant-initialised, so objects registered during static initialisation find it ready.
std::mutex registryLock;

// The first object from index `from` on, taken out of its slot; null when none is left.
AutoDelete* takeNextFrom(int& from)
{
    std::lock_guard<std::mutex> guard(registryLock);
    BList<AutoDelete*>* list = PexaSystem::autoDels;
    for (; from < list->count; ++from) {
        AutoDelete* object = list->items[from];
        if (object) {
            list->setItem(from, nullptr);
            return object;
        }
    }
    return nullptr;
}

} // namespace

BList<AutoDelete*>* PexaSystem::autoDels = nullptr;
std::atomic<bool> PexaSystem::shuttingDown{false};

static bclasses_initializer static_bclasses_initializer;

bclasses_initializer::~bclasses_initializer() = default;

AutoDelete::AutoDelete()
{
    PexaSystem::AddAutoDelete(this);
}

AutoDelete::~AutoDelete()
{
    std::lock_guard<std::mutex> guard(registryLock);
    BList<AutoDelete*>* list = PexaSystem::autoDels;
    if (!list || list->count == 0)
        return;
    int index = list->indexOf(this);
    if (index >= 0)
        list->setItem(index, nullptr);
}

void PexaSystem::AddAutoDelete(AutoDelete* object)
{
    std::lock_guard<std::mutex> guard(registryLock);
    if (shuttingDown)
        return;
    if (!autoDels)
        autoDels = new BList<AutoDelete*>();
    autoDels->addIfNotExists(object);
}

void PexaSystem::RemoveAutoDelete(AutoDelete* object)
{
    std::lock_guard<std::mutex> guard(registryLock);
    if (shuttingDown || !autoDels)
        return;
    autoDels->remove(autoDels->indexOf(object));
}

bool PexaSystem::isShuttingDown()
{
    return shuttingDown;
}

void PexaSystem::shutdown()
{
    {
        std::lock_guard<std::mutex> guard(registryLock);
        if (!autoDels || shuttingDown)
            return;
        shuttingDown = true;
    }
    int next = 0;
    while (AutoDelete* object = takeNextFrom(next))
        delete object;

    std::lock_guard<std::mutex> guard(registryLock);
    delete autoDels;
    autoDels = nullptr;
    shuttingDown = false;
}

bool PexaSystem::hasAutoDeletes()
{
    std::lock_guard<std::mutex> guard(registryLock);
    return autoDels && autoDels->count > 0;
}

} // namespace Tr
