#include "facade/archive_set.h"

#include <optional>

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "ui/entry_list.h"
#include "ui/status_line.h"

namespace tamberlin {

struct ArchiveSet::Archive {
  std::string path;  ///< as first named
  Module1* engine = nullptr;
  std::unique_ptr<ListBox> list;
  std::unique_ptr<Module1> owned;
};

ArchiveSet::ArchiveSet(FileSystem& fs, StatusLine& status, MessageBoxes& boxes)
    : fs_(fs), status_(status), boxes_(boxes) {}

ArchiveSet::~ArchiveSet() = default;

std::vector<std::string> ArchiveSet::keysOf(const std::string& path) {
  std::vector<std::string> keys;
  try {
    keys.push_back("path:" + fs_.nativePath(path));
  } catch (const RuntimeError&) {
    keys.push_back("text:" + path);
  }
  FileInfo info = fs_.stat(path);
  if (info.exists && info.id != 0) keys.push_back("id:" + std::to_string(info.id));
  return keys;
}

ArchiveSet::Archive* ArchiveSet::lookup(const std::string& path) {
  for (const std::string& key : keysOf(path)) {
    auto it = byKey_.find(key);
    if (it != byKey_.end()) return it->second;
  }
  return nullptr;
}

void ArchiveSet::registerKeys(Archive& a, const std::string& path) {
  for (const std::string& key : keysOf(path)) byKey_[key] = &a;
}

void ArchiveSet::adopt(Module1& engine, const std::string& path) {
  auto a = std::make_unique<Archive>();
  a->path = path;
  a->engine = &engine;
  engine.deferLastFlush(deferLastFlush_);
  registerKeys(*a, path);
  archives_.push_back(std::move(a));
}

ArchiveSet::Archive& ArchiveSet::archiveFor(const std::string& path) {
  if (Archive* known = lookup(path)) return *known;
  auto a = std::make_unique<Archive>();
  a->path = path;
  a->list = std::make_unique<ListBox>();
  a->owned = std::make_unique<Module1>(fs_, status_, *a->list, boxes_);
  a->engine = a->owned.get();
  a->engine->deferLastFlush(deferLastFlush_);
  Archive& ref = *a;
  archives_.push_back(std::move(a));
  // Registered before the read, so that an archive whose read fails is not read again; and
  // after it, when the read created the file and it gained an identity.
  registerKeys(ref, path);
  ref.engine->ReadIMG(path);
  registerKeys(ref, path);
  return ref;
}

Module1& ArchiveSet::engineFor(const std::string& path) {
  return *archiveFor(path).engine;
}

void ArchiveSet::readAgain() {
  for (auto& a : archives_) a->engine->ReadIMG(a->path);
}

std::vector<std::string> ArchiveSet::paths() const {
  std::vector<std::string> out;
  for (const auto& a : archives_) out.push_back(a->path);
  return out;
}

void ArchiveSet::deferLastFlush(bool on) {
  deferLastFlush_ = on;
  for (auto& a : archives_) a->engine->deferLastFlush(on);
}

void ArchiveSet::flushPending() {
  std::optional<RuntimeError> first;
  for (auto& a : archives_) {
    try {
      a->engine->flushPending();
    } catch (const RuntimeError& e) {
      if (!first) first = e;
    }
  }
  if (first) throw *first;
}

std::int32_t ArchiveSet::find(const std::string& path, const std::string& name) {
  return archiveFor(path).engine->archive().find(name);
}

const EntryIndex& ArchiveSet::index(const std::string& path) {
  return archiveFor(path).engine->archive().index();
}

}  // namespace tamberlin
