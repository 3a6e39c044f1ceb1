#include "foundation/ExecuteFile.h"

#include <spawn.h>
#include <sys/wait.h>

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

} // namespace

int ExecuteFile(BString const& file, BString const& /*parameters*/, BString const& /*folder*/)
{
    if (file.isEmpty())
        return 0;
    std::string program = openerProgram();
    std::string operand = asOperand(file.toUTF8());
    char* argv[] = {&program[0], &operand[0], nullptr};
    pid_t child;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return 0;
    return exitedWithSuccess(child);
}

} // namespace Tr
