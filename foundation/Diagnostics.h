#pragma once
// Diagnostic lines: a printf-style message tagged with the millisecond clock, the calling thread
// and a prefix for its type, written as one line to standard error (or to an output function
// that the host installs) and in addition to an optional log stream.

#include "foundation/Assert.h"
#include "foundation/BString.h"

#include <cstdarg>
#include <type_traits>
#include <utility>

namespace Tr {

// Only the error type has a prefix ("ERROR: "), and only it calls the error hook.
enum EH_OutputType { EH_DEBUG = 0, EH_INFO = 1, EH_ERROR = 2, EH_WARNING = 3 };

void EH_out(EH_OutputType type, char const* fmt, ...) __attribute__((format(printf, 2, 3)));

namespace diagnostics_detail {
// What a va_list becomes when it is passed on.
using VaListArgument = decltype(+std::declval<va_list&>());
void formatAndWrite(EH_OutputType type, char const* fmt, va_list args) __attribute__((format(printf, 2, 0)));
void formatAndWriteUnchecked(EH_OutputType type, char const* fmt, ...);
} // namespace diagnostics_detail

// The form that takes an argument list. A template, so that a literal 0 or NULL passed to the
// form above stays an argument to format instead of passing for a null argument list.
template <typename List,
          typename = std::enable_if_t<std::is_same<List, diagnostics_detail::VaListArgument>::value>>
void EH_out(EH_OutputType type, char const* fmt, List args)
{
    diagnostics_detail::formatAndWrite(type, fmt, args);
}

// The format is a string's text; only numbers and pointers may follow (c_str() for a string).
template <typename Fmt, typename... Args, typename = std::enable_if_t<std::is_same<Fmt, BString>::value>>
void EH_out(EH_OutputType type, Fmt const& fmt, Args... args)
{
    static_assert((... && (std::is_arithmetic<Args>::value || std::is_enum<Args>::value
                           || std::is_pointer<Args>::value || std::is_null_pointer<Args>::value)),
                  "diagnostic arguments must be numbers or pointers (pass c_str() for a BString)");
    diagnostics_detail::formatAndWriteUnchecked(type, fmt.c_str(), args...);
}

// One formatting attempt in a buffer of bufferSize bytes: 1 when the text fitted and was
// written. EH_out tries 1024 bytes and doubles up to 32768; longer text is not written at all.
int EH_out_impl(EH_OutputType type, char const* fmt, va_list args, int bufferSize)
    __attribute__((format(printf, 2, 0)));

// Writes an already formatted text as one line ('%' stays as it is).
void EH_output(EH_OutputType type, char const* text);

// Null removes a hook. The output function takes the finished line in place of standard
// error; the error hook sees the format and arguments of every error-type message first.
void EH_set_output_func(void (*func)(char* line));
void EH_set_error_func(void (*func)(char const* fmt, va_list args));
// The caller's stdio stream receives every line too; null switches that off.
void EH_set_logStream(void* stream);
// Opens (creates or empties) the file as the log stream. A stream opened here is closed when
// another takes its place; a failed open leaves no log stream.
void EH_set_logfilename(char const* fileName);

} // namespace Tr
