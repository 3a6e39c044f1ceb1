#include "foundation/Folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace Tr {

namespace {

// getpwuid_r rather than getpwuid, since any thread may ask.
BString homeFromUserDatabase()
{
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    int result;
    while ((result = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE
           && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (result != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] == 0)
        return BString("~");
    return BString(found->pw_dir);
}

} // namespace

BString getHomeDirectory()
{
    char const* home = std::getenv("HOME");
    if (home != nullptr && home[0] != 0)
        return BString(home);
    return homeFromUserDatabase();
}

BString getMyDocumentsDirectory()
{
    return getHomeDirectory() + "/Documents";
}

BString getUserAppDirectory()
{
    return getHomeDirectory() + "/Library/Application Support/Pexa Software";
}

BString getPexaSettingsBaseDir()
{
    return getHomeDirectory() + "/.Dravikon";
}

} // namespace Tr
