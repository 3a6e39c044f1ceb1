#pragma once

namespace Tr {

// Assertion hook called by the library and the application. It deliberately does
// nothing: a failed condition must never stop the program.
inline void bassert(int /*condition*/) {}
inline void bassert(void* /*pointer*/) {}

} // namespace Tr
