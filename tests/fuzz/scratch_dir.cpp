#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "fuzz/fuzz_targets.h"

namespace tamberlin::fuzz {
namespace {

std::filesystem::path& processRoot() {
  static std::filesystem::path root;
  return root;
}

void removeProcessRoot() {
  std::error_code ec;
  if (!processRoot().empty()) std::filesystem::remove_all(processRoot(), ec);
}

}  // namespace

std::string scratchDir(const std::string& name) {
  static std::map<std::string, std::string> made;
  auto it = made.find(name);
  if (it != made.end()) return it->second;
  if (processRoot().empty()) {
    const char* tmp = std::getenv("TMPDIR");
    processRoot() = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") /
                    ("tamberlin-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(processRoot());
    std::atexit(removeProcessRoot);
  }
  const std::filesystem::path dir = processRoot() / name;
  std::filesystem::create_directories(dir);
  return made[name] = dir.string();
}

}  // namespace tamberlin::fuzz
