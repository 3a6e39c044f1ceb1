#pragma once

#include "foundation/BString.h"

#include <atomic>
#include <map>

namespace Tr {

// Hands out identifying numbers for strings, ignoring ASCII case. Numbers come from one counter
// shared by every set of the process and are never handed out twice, not even after Clear; 0
// means "none". One set is used from one thread at a time.
class THashStringSet
{
public:
    THashStringSet();
    virtual ~THashStringSet();

    // The number of s; a string not seen before gets the next one when create is non-zero,
    // otherwise 0.
    int getID(BString const& s, int create);
    void Clear();

    static std::atomic<int> IDCounter;

private:
    std::map<BString, int> ids;
};

} // namespace Tr
