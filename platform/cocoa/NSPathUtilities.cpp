#include "platform/cocoa/NSPathUtilities.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace {

// The user database's entry of the effective user, passed to use; false when there is none.
template <class Use>
bool withUserEntry(Use use)
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry;
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return false;
    use(entry);
    return true;
}

} // namespace

std::string NSUserName()
{
    std::string name;
    withUserEntry([&name](passwd const& entry) { name = entry.pw_name; });
    return name;
}

std::string NSHomeDirectory()
{
    char const* home = std::getenv("HOME");
    if (home != nullptr && home[0] != 0)
        return home;
    std::string folder;
    withUserEntry([&folder](passwd const& entry) { folder = entry.pw_dir; });
    return folder;
}

std::string NSStringByExpandingTildeInPath(std::string const& path)
{
    if (path == "~" || path.compare(0, 2, "~/") == 0)
        return NSHomeDirectory() + path.substr(1);
    return path;
}

std::string NSStringLastPathComponent(std::string const& path)
{
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return path.empty() ? path : "/";
    size_t slash = path.find_last_of('/', end);
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(start, end + 1 - start);
}
