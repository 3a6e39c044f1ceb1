#pragma once
// The lines of a string list as plain strings, for comparing whole lists in one assertion.

#include "foundation/TStringList.h"

#include <string>
#include <vector>

namespace StringListTest {

using Lines = std::vector<std::string>;

inline Lines linesOf(Tr::TStringList const& list)
{
    Lines lines;
    for (int i = 0; i < list.GetCount(); ++i)
        lines.push_back(list.GetString(i).c_str());
    return lines;
}

} // namespace StringListTest
