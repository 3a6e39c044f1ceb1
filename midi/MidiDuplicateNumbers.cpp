// The numbering of ports of equal names (MidiDeviceFactory::NumberDuplicates), in
// time near-linear in the number of ports: port names may be crafted, and a rescan
// numbers them under the factory's and the manager's locks.
#include "midi/MidiDeviceFactory.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Tr {

namespace {

char const* const intoName = "%s %d";
char const* const shownSuffix = "%s (%d)";

// Names equal ignoring case have one key: only ASCII letters have a case.
std::string keyOf(BString const& text)
{
    return text.toUpper().c_str();
}

// What Matches compares for a port with identifiers, so that equal keys are ports
// of one back-end's list that match each other.
std::string identityOf(MidiDeviceDescriptor const& desc)
{
    return std::string(1, char('0' + desc.input)) + '\0' + desc.name.c_str() + '\0' + desc.publicName.c_str() +
           '\0' + keyOf(desc.interfaceId) + '\0' + keyOf(desc.serial);
}

// The first port of a group and how many there are so far.
struct Group {
    MidiDeviceDescriptor* first = nullptr;
    int count = 0;

    // Counts the port in; whether an earlier one was there.
    bool join(MidiDeviceDescriptor* desc)
    {
        if (!count)
            first = desc;
        return count++ > 0;
    }
};

// One name's ports, at these positions of the list in list order, get the duplicate
// numbers 1, 2, 3 ...; those that match an earlier one by their identifiers are
// noted at their positions, each followed, when it is the first to match, by the
// port it matched.
void numberGroup(BList<MidiDeviceDescriptor*>& list, std::vector<int> const& positions,
                 std::vector<std::pair<int, MidiDeviceDescriptor*>>& matched)
{
    std::unordered_map<std::string, Group> identities;
    for (size_t k = 0; k < positions.size(); ++k) {
        MidiDeviceDescriptor* desc = list.items[positions[k]];
        desc->duplicateNumber = int(k) + 1;
        if (desc->interfaceId.isEmpty())
            continue;
        Group& identity = identities[identityOf(*desc)];
        if (!identity.join(desc))
            continue;
        matched.emplace_back(positions[k], desc);
        if (identity.count == 2)
            matched.emplace_back(positions[k], identity.first);
    }
}

// The positions of the list's ports, sorted by name ignoring case and in list
// order within a name; their duplicate numbers are cleared.
std::vector<int> positionsByName(BList<MidiDeviceDescriptor*>& list)
{
    std::vector<int> positions;
    for (int i = 0; i < list.count; ++i)
        if (list.items[i]) {
            list.items[i]->duplicateNumber = 0;
            positions.push_back(i);
        }
    std::stable_sort(positions.begin(), positions.end(), [&list](int a, int b) {
        return list.items[a]->name.compareWith(list.items[b]->name, 1) < 0;
    });
    return positions;
}

// Equal names get the duplicate numbers 1, 2, 3 ... in list order; the ports that
// match an earlier port by their identifiers go into renamed, in list order.
// Whether any name occurs twice. The ports are sorted by name rather than hashed:
// most lists hold no equal names, and then nothing more is made.
bool numberEqualNames(BList<MidiDeviceDescriptor*>& list, std::vector<MidiDeviceDescriptor*>& renamed)
{
    std::vector<int> byName = positionsByName(list);
    std::vector<std::pair<int, MidiDeviceDescriptor*>> matched;
    for (auto start = byName.begin(), end = start; start != byName.end(); start = end) {
        BString const& name = list.items[*start]->name;
        end = std::find_if(start, byName.end(), [&](int i) { return !list.items[i]->name.equalsIgnoreCase(name); });
        if (end - start > 1)
            numberGroup(list, std::vector<int>(start, end), matched);
    }
    std::stable_sort(matched.begin(), matched.end(), [](auto const& a, auto const& b) { return a.first < b.first; });
    for (auto const& entry : matched)
        renamed.push_back(entry.second);
    return std::any_of(list.items, list.items + list.count, [](auto* desc) { return desc && desc->duplicateNumber; });
}

// The names the ports of a list show, counted ignoring case. For each base a number
// is put after, the numbers found taken there are skipped at later claims (each
// points past the taken numbers that follow it), until a name that could be among
// them is no longer shown.
class ShownNames {
public:
    explicit ShownNames(BList<MidiDeviceDescriptor*> const& list)
    {
        for (int i = 0; i < list.count; ++i)
            if (list.items[i])
                ++counts[keyOf(list.items[i]->GetName())];
    }

    bool shownByAnother(BString const& shown) const { return counts.at(keyOf(shown)) > 1; }

    // A port stops showing the name.
    void release(BString const& shown)
    {
        auto found = counts.find(keyOf(shown));
        if (--found->second > 0)
            return;
        forgetSkipsThrough(found->first);
        counts.erase(found);
    }

    // The first number from `from` on that the form (intoName or shownSuffix) puts
    // after the base into a name no port shows; the port shows that name from now on.
    int claim(char const* form, BString const& base, int from)
    {
        std::unordered_map<int, int>& skips = skipsOf[form + keyOf(base)];
        for (int number = from;; ++number) {
            number = pastTaken(skips, number);
            skips[number] = number + 1;
            int& shownBy = counts[keyOf(BString::format(form, base.c_str(), number))];
            if (shownBy == 0) {
                shownBy = 1;
                return number;
            }
        }
    }

private:
    // The first number from `number` on that is not known to be taken; the numbers
    // passed then point at it.
    static int pastTaken(std::unordered_map<int, int>& skips, int number)
    {
        int free = number;
        for (auto skip = skips.find(free); skip != skips.end(); skip = skips.find(free))
            free = skip->second;
        for (auto skip = skips.find(number); number != free; skip = skips.find(number))
            number = std::exchange(skip->second, free);
        return free;
    }

    // The name is one of the numbered names of a base when it ends in that form's
    // shape ("BASE 12" or "BASE (12)"): that base's skips may pass it now.
    void forgetSkipsThrough(std::string const& name)
    {
        bool suffixed = !name.empty() && name.back() == ')';
        size_t numberEnd = name.size() - (suffixed ? 1 : 0);
        size_t numberStart = numberEnd;
        while (numberStart > 0 && name[numberStart - 1] >= '0' && name[numberStart - 1] <= '9')
            --numberStart;
        std::string const opening = suffixed ? " (" : " ";
        if (numberStart == numberEnd || numberStart < opening.size() ||
            name.compare(numberStart - opening.size(), opening.size(), opening) != 0)
            return;
        skipsOf.erase((suffixed ? shownSuffix : intoName) + name.substr(0, numberStart - opening.size()));
    }

    std::unordered_map<std::string, int> counts;
    std::unordered_map<std::string, std::unordered_map<int, int>> skipsOf;
};

} // namespace

void MidiDeviceFactory::NumberDuplicates(BList<MidiDeviceDescriptor*>& list)
{
    std::vector<MidiDeviceDescriptor*> renamed;
    if (!numberEqualNames(list, renamed))
        return;
    ShownNames shown(list);
    for (MidiDeviceDescriptor* desc : renamed) {
        shown.release(desc->GetName());
        BString base = desc->name;
        desc->name = BString::format(intoName, base.c_str(), shown.claim(intoName, base, desc->duplicateNumber));
        desc->duplicateNumber = 0;
    }
    for (int i = 0; i < list.count; ++i) {
        MidiDeviceDescriptor* desc = list.items[i];
        if (!desc || desc->duplicateNumber <= 1 || !shown.shownByAnother(desc->GetName()))
            continue;
        shown.release(desc->GetName());
        desc->duplicateNumber = shown.claim(shownSuffix, desc->name, desc->duplicateNumber);
    }
}

} // namespace Tr
