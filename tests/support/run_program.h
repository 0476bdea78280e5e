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
/// /dev/null, and returns its exit code, stdout and stderr.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd = {});

}  // namespace tamberlin::test
