#pragma once

#include <map>
#include <thread>

namespace Tr {

// The change batches of an object that tells listeners of its changes, one per
// thread: a batch holds back the changes of its own thread only, so no thread ever
// tells a change that another thread made. It has no lock of its own: the owner
// guards it with the lock that guards its other state.
class MidiChangeBatches {
public:
    void begin() { ++batches[std::this_thread::get_id()].depth; }

    // Whether the calling thread's outermost batch ended now with a change held back.
    bool end()
    {
        auto batch = batches.find(std::this_thread::get_id());
        if (batch == batches.end() || --batch->second.depth > 0)
            return false;
        bool held = batch->second.held;
        batches.erase(batch);
        return held;
    }

    // Whether a batch of the calling thread holds the change back.
    bool hold()
    {
        auto batch = batches.find(std::this_thread::get_id());
        if (batch == batches.end())
            return false;
        batch->second.held = true;
        return true;
    }

private:
    struct Batch {
        int depth = 0;
        bool held = false;
    };

    std::map<std::thread::id, Batch> batches;
};

} // namespace Tr
