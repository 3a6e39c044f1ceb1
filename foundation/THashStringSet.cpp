#include "foundation/THashStringSet.h"

namespace Tr {

std::atomic<int> THashStringSet::IDCounter{1};

THashStringSet::THashStringSet() = default;

THashStringSet::~THashStringSet() = default;

int THashStringSet::getID(BString const& s, int create)
{
    BString key = s.toUpper();
    auto found = ids.find(key);
    if (found != ids.end())
        return found->second;
    if (!create)
        return 0;
    int id = IDCounter.fetch_add(1);
    ids.emplace(key, id);
    return id;
}

void THashStringSet::Clear()
{
    ids.clear();
}

} // namespace Tr
