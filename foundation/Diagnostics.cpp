#include "foundation/Diagnostics.h"

#include "foundation/BThread.h"
#include "foundation/MilliTime.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace Tr {

namespace {

using OutputFunc = void (*)(char*);
using ErrorFunc = void (*)(char const*, va_list);

int const firstBufferSize = 1024;
int const largestBufferSize = 32768;

std::atomic<OutputFunc> outfunc{nullptr};
std::atomic<ErrorFunc> errorfunc{nullptr};

// The log stream may be closed here while another thread writes a line, so both take the lock.
std::mutex logLock;
FILE* g_debugStream = nullptr;
bool debugStreamIsOurs = false;

char const* prefixOf(EH_OutputType type)
{
    static char const* const OUTPUT_TYPE_PREFIX[] = {"", "", "ERROR: ", ""};
    // Compared as an int: a caller may cast any number to the type.
    int const index = static_cast<int>(type);
    return index >= 0 && index < 4 ? OUTPUT_TYPE_PREFIX[index] : "";
}

void replaceLogStream(FILE* stream, bool ours)
{
    std::lock_guard<std::mutex> lock(logLock);
    if (debugStreamIsOurs && g_debugStream && g_debugStream != stream)
        std::fclose(g_debugStream);
    g_debugStream = stream;
    debugStreamIsOurs = ours;
}

} // namespace

void EH_out(EH_OutputType type, char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    diagnostics_detail::formatAndWrite(type, fmt, args);
    va_end(args);
}

namespace diagnostics_detail {

// The error hook and every attempt work from their own copy of the arguments.
void formatAndWrite(EH_OutputType type, char const* fmt, va_list args)
{
    ErrorFunc hook = errorfunc.load();
    if (type == EH_ERROR && hook) {
        va_list copy;
        va_copy(copy, args);
        hook(fmt, copy);
        va_end(copy);
    }
    for (int size = firstBufferSize; size <= largestBufferSize; size *= 2) {
        va_list copy;
        va_copy(copy, args);
        int written = EH_out_impl(type, fmt, copy, size);
        va_end(copy);
        if (written)
            return;
    }
}

void formatAndWriteUnchecked(EH_OutputType type, char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    formatAndWrite(type, fmt, args);
    va_end(args);
}

} // namespace diagnostics_detail

int EH_out_impl(EH_OutputType type, char const* fmt, va_list args, int bufferSize)
{
    if (!fmt || bufferSize <= 0)
        return 0;
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    int n = std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
    if (n < 0 || n >= bufferSize)
        return 0;
    EH_output(type, buffer.data());
    return 1;
}

// The line lives on the heap: it may be as long as the longest formatted text.
void EH_output(EH_OutputType type, char const* text)
{
    char head[64];
    std::snprintf(head, sizeof head, "%d-%p: %s", static_cast<int>(getMilliTime()), BThread::getCurrentThreadID(),
                  prefixOf(type));
    std::string line = head;
    line += text ? text : "";
    line += '\n';
    if (OutputFunc out = outfunc.load()) {
        out(&line[0]);
    } else {
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
    }
    std::lock_guard<std::mutex> lock(logLock);
    if (g_debugStream) {
        std::fputs(line.c_str(), g_debugStream);
        std::fflush(g_debugStream);
    }
}

void EH_set_output_func(void (*func)(char* line))
{
    outfunc.store(func);
}

void EH_set_error_func(void (*func)(char const* fmt, va_list args))
{
    errorfunc.store(func);
}

void EH_set_logStream(void* stream)
{
    replaceLogStream(static_cast<FILE*>(stream), false);
}

void EH_set_logfilename(char const* fileName)
{
    replaceLogStream(fileName ? std::fopen(fileName, "w") : nullptr, true);
}

} // namespace Tr
