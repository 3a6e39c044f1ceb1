#include "foundation/ExecuteFile.h"

#include "foundation/FileUtils.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

extern char** environ;

namespace Tr {

namespace {

char const* openerProgram()
{
    char const* opener = std::getenv("DRAVIK_OPENER");
    return opener != nullptr && opener[0] != 0 ? opener : "xdg-open";
}

// A name that begins with '-' would be taken for an option.
std::string asOperand(char const* path)
{
    std::string operand(path);
    if (operand[0] == '-')
        operand.insert(0, "./");
    return operand;
}

bool exitedWithSuccess(pid_t child)
{
    int status = 0;
    pid_t result;
    do
        result = waitpid(child, &status, 0);
    while (result < 0 && errno == EINTR);
    return result == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The executable of an application bundle ("X.app" holding Contents/MacOS/X),
// or empty when the path is no such bundle.
std::string bundleExecutable(BString const& path)
{
    BString bundle = path;
    while (bundle.length() > 1 && bundle.endsWith('/'))
        bundle.setLength(bundle.length() - 1);
    if (!DirExists(bundle) || bundle.extractFileExtension() != ".app")
        return std::string();
    BString executable = bundle + "/Contents/MacOS/" + bundle.extractFileNameWithoutExtension();
    if (!FileExists(executable) || access(executable.toUTF8(), X_OK) != 0)
        return std::string();
    return executable.toUTF8();
}

// Starts the program in a session of its own without waiting for it, as the
// desktop launches an application; an intermediate child exits at once so that
// no zombie is left. True when the program could be started.
bool launchDetached(std::string const& program)
{
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        setsid();
        pid_t grandchild = fork();
        if (grandchild == 0) {
            execve(argv[0], argv, environ);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    return exitedWithSuccess(child);
}

// Runs the desktop's opener with the path as its one argument and waits for it.
bool runOpener(BString const& file)
{
    std::string program = openerProgram();
    std::string operand = asOperand(file.toUTF8());
    char* argv[] = {&program[0], &operand[0], nullptr};
    pid_t child;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    return exitedWithSuccess(child);
}

} // namespace

int ExecuteFile(BString const& file, BString const& /*parameters*/, BString const& /*folder*/)
{
    if (file.isEmpty())
        return 0;
    std::string executable = bundleExecutable(file);
    return executable.empty() ? runOpener(file) : launchDetached(executable);
}

} // namespace Tr
