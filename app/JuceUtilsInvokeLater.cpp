#include "app/JuceUtils.h"

#include <mutex>
#include <set>

namespace {

// Every call posted and not yet run, so that a dying Runnable can empty its own.
// The lock is never held while a call runs: run() may post or delete others.
// Never destroyed: a Runnable may die during static destruction.
struct PendingCalls
{
    std::mutex lock;
    std::set<JuceUtilsInternalUpdater*> calls;
};

PendingCalls& pending()
{
    static auto* instance = new PendingCalls();
    return *instance;
}

} // namespace

Runnable::~Runnable()
{
    JuceUtilsInternalUpdater::cancelCallsTo(this);
}

JuceUtilsInternalUpdater::JuceUtilsInternalUpdater()
{
    std::lock_guard<std::mutex> guard(pending().lock);
    pending().calls.insert(this);
}

JuceUtilsInternalUpdater::~JuceUtilsInternalUpdater()
{
    std::lock_guard<std::mutex> guard(pending().lock);
    pending().calls.erase(this);
}

void JuceUtilsInternalUpdater::start(Runnable* r, void* d, int v)
{
    {
        std::lock_guard<std::mutex> guard(pending().lock);
        runnable = r;
        data = d;
        value = v;
    }
    triggerAsyncUpdate();
}

void JuceUtilsInternalUpdater::handleAsyncUpdate()
{
    Runnable* target;
    {
        std::lock_guard<std::mutex> guard(pending().lock);
        target = runnable;
    }
    if (target != nullptr)
        target->run(data, value);
    delete this;
}

void JuceUtilsInternalUpdater::cancelCallsTo(Runnable* r)
{
    std::lock_guard<std::mutex> guard(pending().lock);
    for (JuceUtilsInternalUpdater* call : pending().calls)
        if (call->runnable == r)
            call->runnable = nullptr;
}

void JuceUtils::invokeLater(Runnable* r)
{
    invokeLater(r, nullptr, 0);
}

void JuceUtils::invokeLater(Runnable* r, void* data, int value)
{
    (new JuceUtilsInternalUpdater())->start(r, data, value);
}
