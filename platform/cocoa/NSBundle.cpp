#include "platform/cocoa/NSBundle.h"

#include <unistd.h>

#include <climits>

namespace {

std::string runningExecutable()
{
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

// The path without its last component ("" when it has no '/').
std::string parentOf(std::string const& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string nameOf(std::string const& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

} // namespace

NSBundle::NSBundle() : executable(runningExecutable()), path(bundlePathOfExecutable(executable)) {}

NSBundle& NSBundle::mainBundle()
{
    static NSBundle bundle;
    return bundle;
}

std::optional<std::string> NSBundle::objectForInfoDictionaryKey(std::string const& key) const
{
    if (key == "CFBundleExecutable" && !executable.empty())
        return nameOf(executable);
    return std::nullopt;
}

std::string NSBundle::localizedStringForKey(std::string const& key, std::string const& value, char const*) const
{
    return value.empty() ? key : value;
}

std::string NSBundle::bundlePathOfExecutable(std::string const& executable)
{
    std::string macOS = parentOf(executable);
    std::string contents = parentOf(macOS);
    std::string bundle = parentOf(contents);
    if (nameOf(macOS) == "MacOS" && nameOf(contents) == "Contents" && !bundle.empty())
        return bundle;
    return executable;
}
