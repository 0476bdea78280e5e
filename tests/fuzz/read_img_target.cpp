// Arbitrary bytes as the game's archive. Properties:
// - reading the directory and checking the archive never change the file;
// - a table read completely is exactly the file's directory, and the entry list shows it;
// - an add or a replace either fails and leaves the file byte for byte as it was, or changes
//   inside the old file only the bytes it means to (count, new record, moved records' offsets;
//   one record's offset and size) and leaves an archive the reader sees as the engine's table;
// - on an archive the checker finds sound, every old entry still reads its own bytes after
//   either operation, the new data reads back whole, and the result is sound too.
#include <algorithm>
#include <filesystem>
#include <vector>

#include "fuzz/fuzz_engine.h"
#include "fuzz/fuzz_targets.h"
#include "imgarchive/check.h"
#include "imgarchive/img_archive.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin::fuzz {
namespace {

using Table = std::vector<IMGEntry>;

/// The bytes of an entry that the file held: its sectors, cut where the file ends.
std::string entryBytes(const std::string& file, const IMGEntry& e, std::size_t oldLength) {
  const std::size_t start = std::size_t(e.offset) * sector;
  const std::size_t end = std::min(start + std::size_t(e.size) * sector, oldLength);
  return start >= end ? std::string() : file.substr(start, end - start);
}

/// The bytes at `e`'s new place, as many as `want` holds.
std::string placedBytes(const std::string& file, const IMGEntry& e, std::size_t n) {
  const std::size_t start = std::size_t(e.offset) * sector;
  return start >= file.size() ? std::string() : file.substr(start, n);
}

void checkTableIsFile(const Table& dir, const std::string& file, const char* when) {
  const std::string head = std::string(when) + ": ";
  fuzzCheck(file.size() >= 8 && le32(file, 4) == dir.size() - 1, head + "count differs from table");
  for (std::size_t k = 1; k < dir.size(); ++k) {
    const std::size_t at = 8 + 32 * (k - 1);
    fuzzCheck(at + 32 <= file.size(), head + "record past the end");
    fuzzCheck(le32(file, at) == std::uint32_t(dir[k].offset) &&
                  recordSectors(file, at) == std::uint32_t(dir[k].size) &&
                  file.compare(at + 8, kNameSize, dir[k].fileName.data(), kNameSize) == 0,
              head + "record " + std::to_string(k) + " differs from the table");
  }
}

/// Every byte inside the old length that differs lies in one of `allowed` ([from, to) offsets).
void checkOnlyChanged(const std::string& before, const std::string& after,
                      const std::vector<std::pair<std::size_t, std::size_t>>& allowed,
                      const char* what) {
  fuzzCheck(after.size() >= before.size(), std::string(what) + " shrank the archive");
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] == after[i]) continue;
    bool ok = std::any_of(allowed.begin(), allowed.end(),
                          [i](const auto& r) { return i >= r.first && i < r.second; });
    fuzzCheck(ok, std::string(what) + " changed byte " + std::to_string(i) + " of the old file");
  }
}

/// Reads the directory; false when the read failed (the archive is then never changed).
bool readQuietly(ImgArchive& a, const std::string& archive) {
  try {
    a.read(archive);
    return true;
  } catch (const RuntimeError&) {
    return false;
  }
}

bool sound(const std::string& archive) {
  return checkArchive(realFileSystem(), archive).ok();
}

void fuzzAdd(const std::string& archive, const std::string& original, const std::string& payload,
             const std::string& addedPath) {
  writeFile(archive, original);
  const bool wasSound = sound(archive);
  ImgArchive a(realFileSystem());
  if (!readQuietly(a, archive)) return;
  const Table before = a.table();
  bool failed = false;
  try {
    a.add(addedPath, "added.dff");
  } catch (const RuntimeError&) {
    failed = true;
  }
  const Table& dir = a.table();
  // The file grows by the moved entries' sectors and the new data only (past the old end and
  // the grown directory): room reserved for anything else is room for bytes that never were.
  if (!failed) {
    std::int64_t sectors = std::max(sectorsFor(std::int64_t(original.size())),
                                    sectorsFor(8 + 32 * std::int64_t(before.size())));
    for (std::size_t k = 1; k < before.size(); ++k)
      if (dir[k].offset != before[k].offset) sectors += before[k].size;
    sectors += sectorsFor(std::int64_t(payload.size()));
    fuzzCheck(std::int64_t(std::filesystem::file_size(archive)) <= sectors * sector,
              "add grew the archive past its data");
  }
  const std::string after = readFile(archive);
  if (failed) {
    fuzzCheck(after == original, "a failed add changed the archive");
    fuzzCheck(dir.size() == before.size(), "a failed add changed the table");
    return;
  }
  fuzzCheck(dir.size() == std::max<std::size_t>(before.size(), 1) + 1, "add: table size");
  checkTableIsFile(dir, after, "after add");
  const std::size_t n = before.size() - 1;
  std::vector<std::pair<std::size_t, std::size_t>> allowed = {{0, 8}, {8 + 32 * n, 40 + 32 * n}};
  // An archive without entries starts anew: its new entry's data goes to sector 1, over bytes
  // that no entry names.
  if (n == 0) allowed.push_back({sector, sector + payload.size()});
  for (std::size_t k = 1; k < before.size(); ++k) {
    fuzzCheck(dir[k].size == before[k].size, "add changed a size");
    if (dir[k].offset != before[k].offset) allowed.push_back({8 + 32 * (k - 1), 12 + 32 * (k - 1)});
  }
  checkOnlyChanged(original, after, allowed, "add");
  fuzzCheck(placedBytes(after, dir.back(), payload.size()) == payload, "added data differs");
  if (!wasSound) return;
  for (std::size_t k = 1; k < before.size(); ++k) {
    const std::string old = entryBytes(original, before[k], original.size());
    fuzzCheck(placedBytes(after, dir[k], old.size()) == old,
              "add: entry " + std::to_string(k) + " lost its bytes");
  }
  fuzzCheck(sound(archive), "add made a sound archive unsound");
}

void fuzzReplace(const std::string& archive, const std::string& original,
                 const std::string& payload, const std::string& newPath, std::size_t pick) {
  writeFile(archive, original);
  const bool wasSound = sound(archive);
  ImgArchive a(realFileSystem());
  if (!readQuietly(a, archive) || a.count() < 1) return;
  const Table before = a.table();
  const auto k = static_cast<std::int32_t>(1 + pick % (before.size() - 1));
  bool failed = false;
  try {
    a.replace(k, newPath);
  } catch (const RuntimeError&) {
    failed = true;
  }
  const std::string after = readFile(archive);
  if (failed) {
    fuzzCheck(after == original, "a failed replace changed the archive");
    return;
  }
  checkTableIsFile(a.table(), after, "after replace");
  const std::size_t rec = 8 + 32 * std::size_t(k - 1);
  checkOnlyChanged(original, after, {{rec, rec + 8}}, "replace");
  fuzzCheck(placedBytes(after, a.table()[std::size_t(k)], payload.size()) == payload,
            "replaced data differs");
  if (!wasSound) return;
  for (std::size_t j = 1; j < before.size(); ++j) {
    if (j == std::size_t(k)) continue;
    const std::string old = entryBytes(original, before[j], original.size());
    fuzzCheck(entryBytes(after, before[j], original.size()) == old,
              "replace: entry " + std::to_string(j) + " lost its bytes");
  }
  fuzzCheck(sound(archive), "replace made a sound archive unsound");
}

}  // namespace

void readImgTarget(const std::uint8_t* data, std::size_t size) {
  const std::string dir = scratchDir("read_img");
  const std::string archive = dir + "/gta3.img";
  const std::string original(reinterpret_cast<const char*>(data), size);
  writeFile(archive, original);

  ImgArchive a(realFileSystem());
  readQuietly(a, archive);
  fuzzCheck(readFile(archive) == original, "reading the directory changed the file");
  if (a.complete() && size > 0) checkTableIsFile(a.table(), original, "read");
  const ArchiveReport report = checkArchive(realFileSystem(), archive);
  fuzzCheck(readFile(archive) == original, "the check changed the file");
  fuzzCheck(report.entryCount == (size >= 8 ? le32(original, 4) : 0u) || !report.headerOk,
            "the check read another count");

  // The new data: recognisable bytes, a length that varies with the input.
  std::string payload = "added.dff";
  payload.resize(1 + (size * 7919) % 6000, '\x5a');
  const std::string added = dir + "/added.dff";
  writeFile(added, payload);
  fuzzAdd(archive, original, payload, added);
  fuzzReplace(archive, original, payload, added, size ? data[size / 2] : 0);
}

}  // namespace tamberlin::fuzz
