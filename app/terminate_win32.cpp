// What the Windows exe does when an exception escapes (a bug: every command catches what it
// expects). The C++ library's own handler names the exception's type by demangling it, and that
// demangler alone is some 50 KB of a statically linked exe. This one says the same in fewer
// words and ends the program the same way. Defining the library's handler is enough: the
// linker then never takes the library's version, nor the demangler it needs.
#ifdef _WIN32
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  std::fputs("tamberlin: ended by an unexpected error", stderr);
  try {
    if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
  } catch (const std::exception& e) {
    std::fputs(": ", stderr);
    std::fputs(e.what(), stderr);
  } catch (...) {
  }
  std::fputs("\n", stderr);
  std::abort();
}

}  // namespace __gnu_cxx
#endif
