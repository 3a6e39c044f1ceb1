#pragma once
// The XDG autostart entries that stand in for login items: desktop entry files
// in the autostart folder, each starting one program at login.

#include <string>

namespace autostart {

// $XDG_CONFIG_HOME/autostart; when that variable is unset, empty or relative,
// ~/.config/autostart; empty without a home folder.
std::string folder();

// The program that the entry starts: the first word of its Exec line, unquoted.
// Empty when the entry is hidden (Hidden=true counts as deleted) or has no Exec.
std::string programOf(std::string const& entryText);

// An application entry named name that starts program.
std::string entryText(std::string const& name, std::string const& program);

// A file name for an entry named name: its letters, digits, '.', '-' and '_',
// every other byte turned into '-', then ".desktop".
std::string fileNameFor(std::string const& name);

// The program that starts what a login item points at: an application bundle
// (an existing "X.app" folder) starts its executable Contents/MacOS/X, anything
// else itself. bundleOf is the way back: the bundle that holds such an
// executable, else the path itself.
std::string programFor(std::string const& path);
std::string bundleOf(std::string const& program);

} // namespace autostart
