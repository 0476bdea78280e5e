// The memory file system's helpers for tests: whole files in and out, folders, listings, the
// durable tree, real folders copied in and out. None of them is an operation of the program.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/runtime_error.h"
#include "platform/win_path.h"
#include "support/memory_file_system.h"
#include "support/memory_inode.h"

namespace tamberlin::test {

void MemoryFileSystem::makeDirs(const std::string& path) {
  std::string sofar = !path.empty() && isPathSeparator(path[0]) ? "/" : "";
  for (const std::string& part : splitPath(path)) {
    sofar += (sofar.empty() || sofar.back() == '/' ? "" : "/") + part;
    Resolved r = resolve(sofar);
    if (r.error != 0) throw RuntimeError(err::kPathNotFound, path);
    if (r.id != 0 && !inode(r.id).isDir)
      throw RuntimeError(err::kPathFileAccess, sofar + " is a file");
    if (r.id != 0) continue;
    std::uint64_t id = newInode(true, r.parent);
    inode(r.parent).entries[r.name] = id;
    inode(r.parent).durableEntries[r.name] = id;
  }
}

void MemoryFileSystem::writeFile(const std::string& path, const std::string& bytes) {
  std::string parent = parentPath(path);
  if (!parent.empty()) makeDirs(parent);
  Resolved r = resolve(path);
  if (r.error != 0) throw RuntimeError(err::kPathNotFound, path);
  if (r.id != 0 && inode(r.id).isDir)
    throw RuntimeError(err::kPathFileAccess, path + " is a folder");
  if (r.id == 0) {
    r.id = newInode(false, 0);
    inode(r.parent).entries[r.name] = r.id;
    inode(r.parent).durableEntries[r.name] = r.id;
  }
  Inode& node = inode(r.id);
  node.current = node.durable = std::make_shared<std::string>(bytes);
  node.pending.clear();
}

std::string MemoryFileSystem::readFile(const std::string& path) {
  Resolved r = resolve(path);
  if (r.error != 0) throw RuntimeError(err::kPathNotFound, path);
  if (r.id == 0) throw RuntimeError(err::kFileNotFound, path);
  if (inode(r.id).isDir) throw RuntimeError(err::kPathFileAccess, path + " is a folder");
  return *inode(r.id).current;
}

std::vector<std::string> MemoryFileSystem::listAll() const {
  std::vector<std::string> out;
  std::vector<std::pair<std::uint64_t, std::string>> todo{{1, "/"}};
  while (!todo.empty()) {
    auto [dir, prefix] = todo.back();
    todo.pop_back();
    for (const auto& [name, id] : inode(dir).entries) {
      bool isDir = inode(id).isDir;
      out.push_back(prefix + name + (isDir ? "/" : ""));
      if (isDir) todo.push_back({id, prefix + name + "/"});
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

void MemoryFileSystem::durableTree(std::uint64_t dir, const std::string& prefix,
                                   std::map<std::string, const std::string*>& out) const {
  for (const auto& [name, id] : inode(dir).durableEntries) {
    const Inode& node = inode(id);
    if (node.isDir) {
      out[prefix + name + "/"] = nullptr;
      // Renames kept out of order could loop folders into each other: stop at a sane depth.
      if (prefix.size() < 4096) durableTree(id, prefix + name + "/", out);
    } else {
      out[prefix + name] = node.durable.get();
    }
  }
}

std::string MemoryFileSystem::durableDifference(const MemoryFileSystem& other) const {
  std::map<std::string, const std::string*> a, b;
  durableTree(1, "/", a);
  other.durableTree(1, "/", b);
  for (const auto& [path, bytes] : a) {
    auto it = b.find(path);
    if (it == b.end()) return path + " is missing from the second";
    if (!bytes != !it->second) return path + " is a folder in one and a file in the other";
    if (bytes && *bytes != *it->second)
      return path + " differs (" + std::to_string(bytes->size()) + " and " +
             std::to_string(it->second->size()) + " bytes)";
  }
  for (const auto& [path, bytes] : b)
    if (!a.count(path)) return path + " is missing from the first";
  return {};
}

void MemoryFileSystem::copyIn(const std::string& realDir, const std::string& dir) {
  namespace fs = std::filesystem;
  makeDirs(dir);
  for (const auto& e : fs::recursive_directory_iterator(realDir)) {
    std::string to = dir + "/" + fs::relative(e.path(), realDir).generic_string();
    if (e.is_directory()) {
      makeDirs(to);
    } else if (e.is_regular_file()) {
      std::ifstream in(e.path(), std::ios::binary);
      writeFile(to, std::string(std::istreambuf_iterator<char>(in), {}));
    }
  }
}

void MemoryFileSystem::copyOut(const std::string& dir, const std::string& realDir) const {
  namespace fs = std::filesystem;
  Resolved r = resolve(dir);
  if (r.id == 0 || !inode(r.id).isDir) throw RuntimeError(err::kPathNotFound, dir);
  fs::create_directories(realDir);
  for (const auto& [name, id] : inode(r.id).entries) {
    fs::path to = fs::path(realDir) / fs::u8path(name);
    if (inode(id).isDir) {
      copyOut(r.native + "/" + name, to.string());
    } else {
      std::ofstream out(to, std::ios::binary | std::ios::trunc);
      const std::string& bytes = *inode(id).current;
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      if (!out) throw std::runtime_error("cannot write " + to.string());
    }
  }
}

void MemoryFileSystem::makeDurable() {
  for (auto& [id, node] : inodes_) {
    node->durable = node->current;
    node->pending.clear();
    node->durableEntries = node->entries;
  }
  pendingNames_.clear();
}

}  // namespace tamberlin::test
