#include <windows.h>

#include <cstdlib>
#include <exception>

#include "app/startup.h"

#if defined(__MINGW32__) && defined(__GLIBCXX__)
// libstdc++'s default terminate handler prints the exception's demangled type
// to stderr, which a windowed program does not have; it and the demangler
// behind it are some 46 KB. Defined here, this one keeps the library's own
// out of the link and only aborts, as libstdc++ itself does when configured
// without verbose diagnostics.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return velnor::RunVelnor(instance); }
