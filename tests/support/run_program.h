#pragma once
// Running a program as a test would from a shell: arguments quoted, output captured.

#include <string>
#include <vector>

namespace tamberlin::test {

struct ProgramRun {
  int exitCode = -1;  ///< -1 when the program did not exit normally
  std::string out;
  std::string err;
};

/// Runs `program` with `args` in the folder `cwd` (empty: the current one), stdin from
/// /dev/null, and returns its exit code, stdout and stderr. The program runs in the locale
/// C.UTF-8 (code page 1252) whatever the test's own, with the variables of `env`
/// ("LANG=ru_RU.UTF-8") on top.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd = {}, const std::vector<std::string>& env = {});

}  // namespace tamberlin::test
