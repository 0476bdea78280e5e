#pragma once
// Ending the program "at once": thrown by the code that ends it, caught only at the top of the
// program (main or the GUI's event dispatch), which then exits with `exitCode` without running
// any close question. Not a failure: it deliberately does not derive from std::exception.

namespace tamberlin {

struct ProgramEnd {
  int exitCode = 0;
};

}  // namespace tamberlin
