#include "support/run_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tamberlin::test {
namespace {

std::string shellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::vector<std::string>& env) {
  namespace fs = std::filesystem;
  fs::path tmp = fs::temp_directory_path() / ("tamberlin-run-" + std::to_string(::getpid()));
  fs::create_directories(tmp);
  std::string outPath = (tmp / "out").string(), errPath = (tmp / "err").string();
  std::string cmd;
  if (!cwd.empty()) cmd += "cd " + shellQuoted(cwd) + " && ";
  cmd += "env -u LC_ALL -u LC_CTYPE LANG=C.UTF-8";
  for (const auto& e : env) cmd += " " + shellQuoted(e);
  cmd += " " + shellQuoted(program);
  for (const auto& a : args) cmd += " " + shellQuoted(a);
  cmd += " </dev/null >" + shellQuoted(outPath) + " 2>" + shellQuoted(errPath);
  int status = std::system(cmd.c_str());
  ProgramRun run;
  if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.out = slurp(outPath);
  run.err = slurp(errPath);
  fs::remove_all(tmp);
  return run;
}

}  // namespace tamberlin::test
