#pragma once
// The application bundle of the running program: the ".app" folder that holds
// its executable in Contents/MacOS. An executable outside such a folder stands
// for its own bundle.

#include <optional>
#include <string>

class NSBundle
{
public:
    static NSBundle& mainBundle();

    std::string const& bundlePath() const { return path; }
    // A value of the bundle's Info.plist. Bundles here carry none, so the only
    // key known is "CFBundleExecutable", the executable's file name.
    std::optional<std::string> objectForInfoDictionaryKey(std::string const& key) const;
    // The localized text for key. Bundles here carry no localizations, so it is
    // value, or key when value is empty.
    std::string localizedStringForKey(std::string const& key, std::string const& value, char const* table) const;

    // The bundle path for an executable path (the rule above).
    static std::string bundlePathOfExecutable(std::string const& executable);

private:
    NSBundle();

    std::string executable;
    std::string path;
};
