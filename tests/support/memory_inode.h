#pragma once
// The inside of MemoryFileSystem: its files and folders, and the changes not yet durable.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace tamberlin::test {

/// A write (the bytes at a 0-based offset) or a truncate (to `offset` bytes) since the file's
/// last sync; only the range written is kept, never a copy of the file.
struct MemoryFileSystem::DataChange {
  long seq = 0;  ///< program order among all changes
  bool truncate = false;
  std::int64_t offset = 0;
  std::string bytes;
  std::string label;  ///< the operation's name
};

/// One name in one folder set (`target` an inode) or removed (`target` 0).
struct MemoryFileSystem::NameEffect {
  std::uint64_t dir = 0;
  std::string name;
  std::uint64_t target = 0;
};

/// One create, makeDir, removal or rename: its effects on each folder it touches.
struct MemoryFileSystem::NameChange {
  long seq = 0;
  std::string label;
  std::vector<NameEffect> effects;
  bool touches(std::uint64_t dir) const {
    for (const NameEffect& e : effects)
      if (e.dir == dir) return true;
    return false;
  }
};

struct MemoryFileSystem::Inode {
  std::uint64_t id = 0;
  bool isDir = false;
  bool linked = true;  ///< has a visible name (its space counts)
  int opens = 0;       ///< open handles (their space counts too)
  // A file: what is on the disk and what the program sees. Both may share one buffer; `current`
  // is copied before it is changed while anyone else holds it.
  std::shared_ptr<std::string> durable = std::make_shared<std::string>();
  std::shared_ptr<std::string> current = durable;
  std::vector<DataChange> pending;
  // A folder: its visible names, its durable names, and the folder above (itself at the root).
  std::map<std::string, std::uint64_t> entries;
  std::map<std::string, std::uint64_t> durableEntries;
  std::uint64_t parent = 0;

  std::string& mutableCurrent() {
    if (current.use_count() > 1) current = std::make_shared<std::string>(*current);
    return *current;
  }
  std::int64_t size() const { return static_cast<std::int64_t>(current->size()); }
};

/// Where a program path leads.
struct MemoryFileSystem::Resolved {
  int error = 0;             ///< ENOENT or ENOTDIR on the way to the last component; 0 when reached
  std::uint64_t parent = 0;  ///< the folder holding the last component
  std::string name;          ///< its stored name when present, else as written
  std::uint64_t id = 0;      ///< the inode, 0 when absent
  std::string native;        ///< the native path, spelled as stored
};

}  // namespace tamberlin::test
