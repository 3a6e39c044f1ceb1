#pragma once

// Work that JuceUtils::invokeLater runs on the message thread. Deleting a
// Runnable cancels the calls to it that are still queued, so a posted call
// never reaches a dead object. Delete it on the message thread (or while none
// of its calls runs): a call that has already begun is not waited for.
class Runnable
{
public:
    Runnable() = default;
    Runnable(Runnable const&) = default;
    Runnable& operator=(Runnable const&) = default;
    virtual ~Runnable();

    virtual void run(void* data, int value) = 0;
};
