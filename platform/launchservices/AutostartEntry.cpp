#include "platform/launchservices/AutostartEntry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace autostart {

namespace {

std::string homeFolder()
{
    char const* home = std::getenv("HOME");
    if (home && *home)
        return home;
    passwd const* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

std::string trim(std::string const& text)
{
    std::string::size_type first = text.find_first_not_of(" \t");
    std::string::size_type last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The escapes of a desktop entry's string values: \s \n \t \r \\.
std::string unescapeValue(std::string const& value)
{
    std::string text;
    for (std::string::size_type i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            char next = value[++i];
            c = next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
        }
        text += c;
    }
    return text;
}

std::string escapeValue(std::string const& text)
{
    std::string value;
    for (char c : text) {
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        case ' ': value += value.empty() ? "\\s" : " "; break;
        default: value += c;
        }
    }
    return value;
}

// One Exec argument: quoted when it holds a reserved character, with '"', '`',
// '$' and '\' escaped inside the quotes; '%' doubled, as field codes use it.
std::string quoteExecArgument(std::string const& argument)
{
    bool quote = argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string quoted = quote ? "\"" : "";
    for (char c : argument) {
        if (quote && std::strchr("\"`$\\", c))
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    return quote ? quoted + "\"" : quoted;
}

std::string firstExecArgument(std::string const& exec)
{
    std::string::size_type i = exec.find_first_not_of(" \t");
    if (i == std::string::npos)
        return {};
    bool quoted = exec[i] == '"';
    std::string argument;
    for (i += quoted ? 1 : 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted ? c == '"' : (c == ' ' || c == '\t'))
            break;
        if ((quoted && c == '\\') || (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%'))
            c = ++i < exec.size() ? exec[i] : c;
        argument += c;
    }
    return argument;
}

bool isFolder(std::string const& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string const bundleExecutableFolder = "/Contents/MacOS/";

} // namespace

std::string folder()
{
    char const* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/autostart";
    std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.config/autostart";
}

std::string programOf(std::string const& entryText)
{
    std::istringstream lines(entryText);
    std::string line, exec;
    bool inEntry = false, hidden = false;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        std::string::size_type equals = line.find('=');
        if (!inEntry || equals == std::string::npos)
            continue;
        std::string key = trim(line.substr(0, equals));
        std::string value = unescapeValue(trim(line.substr(equals + 1)));
        if (key == "Exec")
            exec = value;
        else if (key == "Hidden")
            hidden = value == "true";
    }
    return hidden ? std::string() : firstExecArgument(exec);
}

std::string entryText(std::string const& name, std::string const& program)
{
    return "[Desktop Entry]\nType=Application\nName=" + escapeValue(name)
           + "\nExec=" + escapeValue(quoteExecArgument(program)) + "\n";
}

std::string fileNameFor(std::string const& name)
{
    std::string fileName;
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                     || std::strchr("._-", c);
        fileName += plain && c ? c : '-';
    }
    return fileName + ".desktop";
}

std::string programFor(std::string const& path)
{
    std::string::size_type slash = path.rfind('/');
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    bool bundle = name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0 && isFolder(path);
    return bundle ? path + bundleExecutableFolder + name.substr(0, name.size() - 4) : path;
}

std::string bundleOf(std::string const& program)
{
    std::string::size_type at = program.rfind(bundleExecutableFolder);
    bool inBundle = at != std::string::npos && at >= 4 && program.compare(at - 4, 4, ".app") == 0
                    && program.find('/', at + bundleExecutableFolder.size()) == std::string::npos;
    return inBundle ? program.substr(0, at) : program;
}

} // namespace autostart
