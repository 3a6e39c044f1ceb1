#pragma once

#include "foundation/Assert.h"

namespace Tr {

// Intrusive reference count, deliberately not atomic: one object's addRef and
// release belong to one thread at a time.
class RefCounted {
public:
    RefCounted() = default;
    RefCounted(RefCounted const&) = delete;
    RefCounted& operator=(RefCounted const&) = delete;

    void addRef() const { ++refCount; }

    // Deletes the object when the last reference goes.
    void release() const
    {
        if (--refCount == 0)
            delete this;
    }

    virtual ~RefCounted() { bassert(refCount == 0); }

private:
    mutable int refCount = 1;
};

} // namespace Tr
