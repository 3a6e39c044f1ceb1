#pragma once
// The user's name and home folder, and the path helpers of NSString.

#include <string>

// The short name of the user the program runs as (the user database's entry
// of the effective user); empty when it has none.
std::string NSUserName();
// The home folder: HOME when set and not empty, else the user database's.
std::string NSHomeDirectory();
// "~" alone or at the start of "~/..." becomes the home folder; any other path
// (including "~name/...") stays as it is.
std::string NSStringByExpandingTildeInPath(std::string const& path);
// The part after the last '/', ignoring trailing slashes; "/" for the root.
std::string NSStringLastPathComponent(std::string const& path);
