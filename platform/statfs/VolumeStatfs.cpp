#include "platform/statfs/VolumeStatfs.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

char const* mountTablePath()
{
    char const* path = std::getenv("DRAVIK_MOUNTINFO");
    return path != nullptr && path[0] != 0 ? path : "/proc/self/mountinfo";
}

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// A mount point covers the path when it is "/" or equals the path up to a '/'.
bool covers(std::string const& mountPoint, std::string const& path)
{
    if (mountPoint == "/")
        return true;
    return path.compare(0, mountPoint.size(), mountPoint) == 0
           && (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

// "36 35 98:0 /root /mnt rw,noatime shared:1 - ext4 /dev/sda1 rw": the mount
// point is the fifth field; the type and the source follow the lone "-".
bool parseLine(std::string const& line, VolumeStatfs& entry)
{
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string field; in >> field;)
        fields.push_back(field);
    if (fields.size() < 6)
        return false;
    for (size_t i = 6; i + 2 < fields.size(); ++i)
        if (fields[i] == "-") {
            entry.f_mntonname = decodeMountField(fields[4]);
            entry.f_fstypename = decodeMountField(fields[i + 1]);
            entry.f_mntfromname = decodeMountField(fields[i + 2]);
            return true;
        }
    return false;
}

} // namespace

std::string decodeMountField(std::string const& field)
{
    std::string decoded;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2])
            && isOctalDigit(field[i + 3])) {
            decoded += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

int volumeStatfs(char const* path, VolumeStatfs* buf)
{
    char resolved[PATH_MAX];
    if (path == nullptr || buf == nullptr || realpath(path, resolved) == nullptr)
        return -1;
    std::ifstream table(mountTablePath());
    if (!table)
        return -1;
    VolumeStatfs best;
    bool found = false;
    VolumeStatfs entry;
    for (std::string line; std::getline(table, line);) {
        if (!parseLine(line, entry) || !covers(entry.f_mntonname, resolved))
            continue;
        if (!found || entry.f_mntonname.size() >= best.f_mntonname.size()) {
            best = entry;
            found = true;
        }
    }
    if (!found)
        return -1;
    *buf = best;
    return 0;
}
