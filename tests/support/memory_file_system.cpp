// The memory file system's folders, paths, open files and error numbers. What a power cut
// leaves is worked out in memory_crash_states.cpp.
#include "support/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/runtime_error.h"
#include "platform/win_path.h"
#include "support/memory_inode.h"

namespace tamberlin::test {
namespace {

constexpr std::uint64_t kRoot = 1;

std::string joinNative(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

class MemoryFileSystem::File : public BinaryFile {
 public:
  File(MemoryFileSystem& fs, std::uint64_t id, std::string path, bool writable)
      : fs_(fs), id_(id), path_(std::move(path)), writable_(writable) {
    ++node().opens;
  }
  ~File() override {
    if (open_) --node().opens;
  }

  std::size_t read(std::int64_t pos, void* buf, std::size_t n) override {
    checkPos(pos);
    const std::string& s = *node().current;
    if (pos - 1 >= node().size()) return 0;
    std::size_t from = static_cast<std::size_t>(pos - 1);
    std::size_t got = std::min(n, s.size() - from);
    std::memcpy(buf, s.data() + from, got);
    return got;
  }

  void write(std::int64_t pos, const void* buf, std::size_t n) override {
    checkPos(pos);
    if (!writable_) throw errorFromErrno(EBADF, path_);
    if (n == 0) return;
    std::int64_t end = pos - 1 + static_cast<std::int64_t>(n);
    std::int64_t growth = std::max<std::int64_t>(0, end - node().size());
    if (static_cast<std::uint64_t>(growth) > fs_.freeSpaceLeft())
      throw RuntimeError(err::kDiskFull, path_);
    std::string label =
        "write " + path_ + " pos " + std::to_string(pos) + " len " + std::to_string(n);
    fs_.countOperation(label);
    std::string& s = node().mutableCurrent();
    if (static_cast<std::int64_t>(s.size()) < end) s.resize(static_cast<std::size_t>(end), '\0');
    std::memcpy(&s[static_cast<std::size_t>(pos - 1)], buf, n);
    node().pending.push_back({fs_.operations(), false, pos - 1,
                              std::string(static_cast<const char*>(buf), n), std::move(label)});
  }

  std::int64_t length() override {
    checkOpen();
    return node().size();
  }

  void truncate(std::int64_t length) override {
    checkOpen();
    if (!writable_ || length < 0) throw errorFromErrno(EINVAL, path_);
    fs_.truncateFile(node(), length, "truncate " + path_ + " to " + std::to_string(length));
  }

  void sync() override {
    checkOpen();
    fs_.countOperation("sync " + path_);
    node().durable = node().current;
    node().pending.clear();
  }

  void close() override {
    fs_.checkPower();
    if (open_) --node().opens;
    open_ = false;
  }

  const std::string& path() const override { return path_; }

  std::int64_t copyRangeTo(std::int64_t pos, BinaryFile& dst, std::int64_t to,
                           std::int64_t n) override {
    auto* out = dynamic_cast<File*>(&dst);
    if (!out || &out->fs_ != &fs_ || n <= 0) return 0;
    checkPos(pos);
    out->checkPos(to);
    std::int64_t available = std::max<std::int64_t>(0, node().size() - (pos - 1));
    std::int64_t count = std::min(n, available);
    if (count == 0) return 0;
    std::string bytes =
        node().current->substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(count));
    out->write(to, bytes.data(), bytes.size());
    return count;
  }

 private:
  Inode& node() const { return fs_.inode(id_); }
  void checkOpen() const {
    fs_.checkPower();
    if (!open_) throw errorFromErrno(EBADF, path_);
  }
  void checkPos(std::int64_t pos) const {
    fs_.checkPower();
    if (!open_) throw RuntimeError(err::kBadFileNameOrNumber, path_);
    if (pos < 1)
      throw RuntimeError(err::kBadFileNameOrNumber,
                         path_ + " (position " + std::to_string(pos) + ")");
  }

  MemoryFileSystem& fs_;
  std::uint64_t id_;
  std::string path_;
  bool writable_;
  bool open_ = true;
};

MemoryFileSystem::MemoryFileSystem() {
  newInode(true, kRoot);
}

MemoryFileSystem::~MemoryFileSystem() = default;

// ---- Paths -------------------------------------------------------------------------------

MemoryFileSystem::Resolved MemoryFileSystem::resolve(const std::string& path) const {
  // The same refusals as the POSIX file system, before any lookup.
  if (path.find('\0') != std::string::npos)
    throw RuntimeError(err::kBadFileNameOrNumber, "a file name holds a NUL character");
  if (hasDriveLetter(path))
    throw RuntimeError(err::kPathNotFound, path + " (there are no drive letters here)");
  bool absolute = !path.empty() && isPathSeparator(path[0]);
  Resolved r;
  r.native = absolute ? "/" : "";
  std::uint64_t at = kRoot;
  if (!absolute) {
    Resolved cwd = resolve(cwd_);
    at = cwd.error == 0 ? cwd.id : 0;
    if (at == 0) r.error = ENOENT;
  }
  r.id = at;
  r.parent = at ? inode(at).parent : 0;
  for (const std::string& part : splitPath(path)) {
    if (r.error == 0 && r.id == 0) r.error = ENOENT;
    if (r.error == 0 && !inode(r.id).isDir) r.error = ENOTDIR;
    if (r.error != 0) {
      r.native = joinNative(r.native, part);
      continue;
    }
    r.parent = r.id;
    r.name = part;
    r.id = lookup(r.parent, r.name);
    r.native = joinNative(r.native, r.name);
  }
  if (r.error != 0) r.id = 0;
  if (r.native.empty()) r.native = ".";
  return r;
}

std::uint64_t MemoryFileSystem::lookup(std::uint64_t dir, std::string& name) const {
  const Inode& d = inode(dir);
  if (name == ".") return dir;
  if (name == "..") return d.parent;
  auto exact = d.entries.find(name);
  if (exact != d.entries.end()) return exact->second;
  for (const auto& [stored, id] : d.entries) {
    if (sameNameIgnoringCase(stored, name)) {
      name = stored;
      return id;
    }
  }
  return 0;
}

std::string MemoryFileSystem::pathOf(std::uint64_t dir) const {
  std::string path;
  while (dir != kRoot) {
    std::uint64_t parent = inode(dir).parent;
    for (const auto& [name, id] : inode(parent).entries)
      if (id == dir) path = "/" + name + path;
    dir = parent;
  }
  return path.empty() ? "/" : path;
}

// ---- Bookkeeping -------------------------------------------------------------------------

void MemoryFileSystem::checkPower() const {
  if (powerWasCut()) throw PowerCut{cut_.operation, {}};
}

void MemoryFileSystem::countOperation(const std::string& name) {
  checkPower();
  if (cutAt_ != 0 && operations() + 1 == cutAt_) {
    cut_ = {cutAt_ - cutFrom_, name};
    throw cut_;
  }
  log_.push_back(name);
}

void MemoryFileSystem::cutPowerAt(long k) {
  cutFrom_ = operations();
  cutAt_ = k >= 1 ? cutFrom_ + k : 0;
}

MemoryFileSystem::Inode& MemoryFileSystem::inode(std::uint64_t id) {
  return *inodes_.at(id);
}

const MemoryFileSystem::Inode& MemoryFileSystem::inode(std::uint64_t id) const {
  return *inodes_.at(id);
}

std::uint64_t MemoryFileSystem::newInode(bool isDir, std::uint64_t parent) {
  auto node = std::make_unique<Inode>();
  node->id = nextId_++;
  node->isDir = isDir;
  node->parent = parent;
  std::uint64_t id = node->id;
  inodes_[id] = std::move(node);
  return id;
}

void MemoryFileSystem::commitName(NameChange change) {
  change.seq = operations();
  change.label = log_.back();
  applyName(change, false);
  pendingNames_.push_back(std::move(change));
}

void MemoryFileSystem::applyName(const NameChange& change, bool durable) {
  for (const NameEffect& e : change.effects) {
    auto& names = durable ? inode(e.dir).durableEntries : inode(e.dir).entries;
    if (e.target != 0)
      names[e.name] = e.target;
    else
      names.erase(e.name);
  }
}

void MemoryFileSystem::flushNames(std::uint64_t dir) {
  // The folder's changes, and before each of them that touches other folders too, those
  // folders' earlier changes: a folder's names reach the disk in program order.
  std::vector<bool> flush(pendingNames_.size());
  for (std::size_t i = 0; i < pendingNames_.size(); ++i) flush[i] = pendingNames_[i].touches(dir);
  for (bool grew = true; grew;) {
    grew = false;
    for (std::size_t i = pendingNames_.size(); i-- > 0;) {
      if (!flush[i]) continue;
      for (std::size_t j = 0; j < i; ++j) {
        if (flush[j]) continue;
        for (const NameEffect& e : pendingNames_[i].effects)
          if (pendingNames_[j].touches(e.dir)) flush[j] = grew = true;
      }
    }
  }
  std::vector<NameChange> rest;
  for (std::size_t i = 0; i < pendingNames_.size(); ++i) {
    if (flush[i])
      applyName(pendingNames_[i], true);
    else
      rest.push_back(std::move(pendingNames_[i]));
  }
  pendingNames_ = std::move(rest);
}

void MemoryFileSystem::truncateFile(Inode& node, std::int64_t length, std::string label) {
  countOperation(label);
  node.mutableCurrent().resize(static_cast<std::size_t>(length), '\0');
  node.pending.push_back({operations(), true, length, {}, std::move(label)});
}

std::uint64_t MemoryFileSystem::freeSpaceLeft() const {
  std::uint64_t used = 0;
  for (const auto& [id, node] : inodes_)
    if (!node->isDir && (node->linked || node->opens > 0))
      used += static_cast<std::uint64_t>(node->size());
  return capacity_ > used ? capacity_ - used : 0;
}

void MemoryFileSystem::setFreeSpace(std::uint64_t bytes) {
  capacity_ = UINT64_MAX;
  std::uint64_t used = UINT64_MAX - freeSpaceLeft();
  capacity_ = bytes > UINT64_MAX - used ? UINT64_MAX : used + bytes;
}

void MemoryFileSystem::setCurrentDir(const std::string& path) {
  Resolved r = resolve(path);
  if (r.id == 0 || !inode(r.id).isDir) throw RuntimeError(err::kPathNotFound, path);
  cwd_ = pathOf(r.id);
}

// ---- The file system as the program sees it ----------------------------------------------

std::unique_ptr<BinaryFile> MemoryFileSystem::open(const std::string& path, OpenMode mode) {
  checkPower();
  Resolved r = resolve(path);
  bool creates = mode == OpenMode::ReadWrite || mode == OpenMode::Create;
  // A missing folder on the way is error 76 whatever the mode; a missing file 53 unless the
  // mode makes it.
  if (r.error != 0) throw RuntimeError(err::kPathNotFound, path);
  if (r.id == 0 && !creates) throw RuntimeError(err::kFileNotFound, path);
  if (r.id != 0 && inode(r.id).isDir)
    throw RuntimeError(err::kPathFileAccess, path + " is a folder");
  if (r.id == 0) {
    countOperation("create " + path);
    r.id = newInode(false, 0);
    commitName({0, {}, {{r.parent, r.name, r.id}}});
  } else if (mode == OpenMode::Create && inode(r.id).size() > 0) {
    truncateFile(inode(r.id), 0, "empty " + path);
  }
  return std::make_unique<File>(*this, r.id, path, mode != OpenMode::Read);
}

FileInfo MemoryFileSystem::stat(const std::string& path) {
  checkPower();
  FileInfo info;
  Resolved r;
  try {
    r = resolve(path);
  } catch (const RuntimeError&) {
    return info;
  }
  if (r.id == 0) return info;
  const Inode& node = inode(r.id);
  info.exists = true;
  info.isDir = node.isDir;
  info.size = node.isDir ? 0 : node.size();
  info.id = node.id;
  std::string base = baseName(r.native);
  info.isHidden = !base.empty() && base[0] == '.' && base != "." && base != "..";
  return info;
}

std::vector<DirEntry> MemoryFileSystem::list(const std::string& dir) {
  checkPower();
  Resolved r = resolve(dir);
  if (r.id == 0 || !inode(r.id).isDir) throw errorFromErrno(ENOTDIR, dir);
  std::vector<DirEntry> out;
  for (const auto& [name, id] : inode(r.id).entries)
    out.push_back({name, inode(id).isDir, name[0] == '.'});
  return out;  // a std::map keeps them sorted by name
}

void MemoryFileSystem::makeDir(const std::string& path) {
  checkPower();
  Resolved r = resolve(path);
  if (r.error != 0) throw RuntimeError(err::kPathNotFound, path);
  if (r.id != 0) throw RuntimeError(err::kPathFileAccess, path + " already exists");
  countOperation("makeDir " + path);
  std::uint64_t id = newInode(true, r.parent);
  commitName({0, {}, {{r.parent, r.name, id}}});
}

void MemoryFileSystem::removeFile(const std::string& path) {
  checkPower();
  Resolved r = resolve(path);
  if (r.id != 0 && inode(r.id).isDir)
    throw RuntimeError(err::kPathFileAccess, path + " is a folder");
  if (r.error != 0) throw errorFromErrno(r.error, path);
  if (r.id == 0) throw errorFromErrno(ENOENT, path);
  countOperation("remove " + path);
  inode(r.id).linked = false;
  commitName({0, {}, {{r.parent, r.name, 0}}});
}

void MemoryFileSystem::removeDir(const std::string& path) {
  checkPower();
  Resolved r = resolve(path);
  if (r.error != 0) throw errorFromErrno(r.error, path);
  if (r.id == 0) throw RuntimeError(err::kPathNotFound, path);
  if (!inode(r.id).isDir) throw errorFromErrno(ENOTDIR, path);
  if (!inode(r.id).entries.empty())
    throw RuntimeError(err::kPathFileAccess, path + " is not empty");
  countOperation("removeDir " + path);
  inode(r.id).linked = false;
  commitName({0, {}, {{r.parent, r.name, 0}}});
}

void MemoryFileSystem::rename(const std::string& from, const std::string& to) {
  checkPower();
  Resolved a = resolve(from), b = resolve(to);
  const std::string both = from + " -> " + to;
  if (a.error != 0) throw errorFromErrno(a.error, both);
  if (b.error != 0) throw errorFromErrno(b.error, both);
  if (a.id == 0) throw errorFromErrno(ENOENT, both);
  if (int e = renameRefusal(a, b)) throw errorFromErrno(e, both);
  countOperation("rename " + from + " -> " + to);
  if (a.id == b.id) return;  // one file under two spellings: nothing to do
  if (b.id != 0) inode(b.id).linked = false;
  if (inode(a.id).isDir) inode(a.id).parent = b.parent;
  NameChange change;
  change.effects = {{a.parent, a.name, 0}, {b.parent, b.name, a.id}};
  commitName(std::move(change));
}

int MemoryFileSystem::renameRefusal(const Resolved& a, const Resolved& b) const {
  if (a.id == b.id) return 0;
  bool dir = inode(a.id).isDir;
  if (b.id != 0 && dir && !inode(b.id).isDir) return ENOTDIR;
  if (b.id != 0 && !dir && inode(b.id).isDir) return EISDIR;
  if (b.id != 0 && dir && !inode(b.id).entries.empty()) return ENOTEMPTY;
  if (dir) {
    for (std::uint64_t at = b.parent; at != kRoot; at = inode(at).parent)
      if (at == a.id) return EINVAL;  // into its own subtree
  }
  return 0;
}

void MemoryFileSystem::syncDir(const std::string& dir) {
  checkPower();
  const std::string& which = dir.empty() ? std::string(".") : dir;
  Resolved r = resolve(which);
  if (r.error != 0) throw errorFromErrno(r.error, dir);
  if (r.id == 0) throw errorFromErrno(ENOENT, dir);
  if (!inode(r.id).isDir) throw errorFromErrno(ENOTDIR, dir);
  countOperation("syncDir " + which);
  flushNames(r.id);
}

std::uint64_t MemoryFileSystem::freeSpace(const std::string& dir) {
  checkPower();
  Resolved r = resolve(dir.empty() ? "." : dir);
  if (r.error != 0) throw errorFromErrno(r.error, dir);
  if (r.id == 0) throw errorFromErrno(ENOENT, dir);
  return freeSpaceLeft();
}

std::string MemoryFileSystem::nativePath(const std::string& path) {
  checkPower();
  return resolve(path).native;
}

std::string MemoryFileSystem::currentDir() {
  checkPower();
  return cwd_;
}

}  // namespace tamberlin::test
