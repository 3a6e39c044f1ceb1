#pragma once

#include <atomic>

// Reference counting of the stand-in Foundation objects, with per-thread autorelease pools.
// An object starts with a count of 1; release at 0 deletes it.
class NSObject
{
public:
    NSObject* retain();
    void release();
    // Hands the caller's reference to the thread's innermost pool.
    NSObject* autorelease();
    long retainCount() const;

protected:
    NSObject();
    virtual ~NSObject();

private:
    NSObject(NSObject const&) = delete;
    NSObject& operator=(NSObject const&) = delete;

    std::atomic<long> count;
};

// Releases what was autoreleased on this thread since it was made. Objects autoreleased outside
// any pool are released when their thread ends.
class NSAutoreleasePool
{
public:
    NSAutoreleasePool();
    ~NSAutoreleasePool();
    NSAutoreleasePool(NSAutoreleasePool const&) = delete;
    NSAutoreleasePool& operator=(NSAutoreleasePool const&) = delete;

private:
    unsigned long mark;
};
