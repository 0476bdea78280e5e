#include "fuzz/jail_file_system.h"

#include <filesystem>

#include "fuzz/fuzz_targets.h"
#include "platform/runtime_error.h"

namespace tamberlin::fuzz {
namespace {

/// The path with links, "." and ".." resolved; lexically only where the system cannot resolve
/// it (a name too long, for one): the sandbox holds no links.
std::string resolved(const std::string& native) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(native);
  auto p = std::filesystem::weakly_canonical(absolute, ec);
  return (ec ? absolute : p).lexically_normal().string();
}

bool below(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

}  // namespace

JailFileSystem::JailFileSystem(FileSystem& inner, std::vector<std::string> folders,
                               std::vector<std::string> files)
    : ForwardingFileSystem(inner) {
  for (const std::string& f : folders) folders_.push_back(resolved(f));
  for (const std::string& f : files) files_.push_back(resolved(f));
}

void JailFileSystem::allow(const std::string& path, const char* what) {
  std::string native;
  try {
    native = inner_.nativePath(path);
  } catch (const RuntimeError&) {
    return;  // a path the platform cannot even name is refused by the call itself
  }
  const std::string real = resolved(native);
  // The folder itself passes: no call can make or change it as a file.
  for (const std::string& f : folders_)
    if (real == f || below(real, f)) return;
  for (const std::string& f : files_)
    if (real == f) return;
  throw FuzzFailure(std::string(what) + " outside the sandbox: " + path + " -> " + real);
}

std::unique_ptr<BinaryFile> JailFileSystem::open(const std::string& path, OpenMode mode) {
  if (mode != OpenMode::Read) allow(path, "open for writing");
  return inner_.open(path, mode);
}

void JailFileSystem::makeDir(const std::string& path) {
  allow(path, "makeDir");
  inner_.makeDir(path);
}

void JailFileSystem::removeFile(const std::string& path) {
  allow(path, "removeFile");
  inner_.removeFile(path);
}

void JailFileSystem::removeDir(const std::string& path) {
  allow(path, "removeDir");
  inner_.removeDir(path);
}

void JailFileSystem::rename(const std::string& from, const std::string& to) {
  allow(from, "rename from");
  allow(to, "rename to");
  inner_.rename(from, to);
}

}  // namespace tamberlin::fuzz
