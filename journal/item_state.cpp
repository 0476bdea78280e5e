#include "journal/item_state.h"

#include <algorithm>
#include <vector>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin::journal {
namespace {

constexpr std::size_t kChunk = 1 << 20;

bool parseCount(const std::string& text, std::int64_t& out) {
  if (text.empty() || text.size() > 15) return false;
  out = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return true;
}

bool parseHashAndCount(const std::string& text, Digest& hash, std::int64_t& n) {
  const std::size_t colon = text.find(':');
  return colon != std::string::npos && fromHex(text.substr(0, colon), hash) &&
         parseCount(text.substr(colon + 1), n);
}

}  // namespace

std::string formatFileState(const FileState& s) {
  return s.present ? toHex(s.hash) + ":" + std::to_string(s.size) : "absent";
}

bool parseFileState(const std::string& text, FileState& out) {
  out = FileState{};
  if (text == "absent") return true;
  out.present = true;
  return parseHashAndCount(text, out.hash, out.size);
}

std::string formatDataState(const DataState& s) {
  return toHex(s.hash) + ":" + std::to_string(s.bytes);
}

std::string formatDataStates(const std::vector<DataState>& states) {
  std::string out;
  for (const DataState& s : states) out += (out.empty() ? "" : ",") + formatDataState(s);
  return out;
}

bool parseDataState(const std::string& text, DataState& out) {
  return parseHashAndCount(text, out.hash, out.bytes) && out.bytes > 0;
}

Digest hashAndCopy(BinaryFile& src, std::int64_t pos, std::int64_t count, BinaryFile* dst,
                   std::int64_t to, std::int64_t padTo) {
  const std::int64_t total = std::max(count, padTo);
  std::vector<char> buf(static_cast<std::size_t>(std::min<std::int64_t>(total, kChunk)));
  Sha256 h;
  for (std::int64_t done = 0; done < total;) {
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(total - done, kChunk));
    std::size_t got = 0;
    if (done < count) {
      const auto ask = static_cast<std::size_t>(std::min<std::int64_t>(want, count - done));
      got = src.read(pos + done, buf.data(), ask);
      if (got < ask && padTo == 0)
        throw RuntimeError(err::kInputPastEnd, src.path() + " ended while it was read");
    }
    std::fill(buf.begin() + static_cast<std::ptrdiff_t>(got),
              buf.begin() + static_cast<std::ptrdiff_t>(want), '\0');
    h.update(buf.data(), want);
    if (dst) dst->write(to + done, buf.data(), want);
    done += static_cast<std::int64_t>(want);
  }
  return h.finish();
}

FileState currentFileState(FileSystem& fs, const std::string& path) {
  FileState s;
  FileInfo info = fs.stat(path);
  if (!info.exists) return s;
  if (info.isDir) throw RuntimeError(err::kPathFileAccess, path + " is a folder");
  auto file = fs.open(path, OpenMode::Read);
  s.present = true;
  s.size = file->length();
  s.hash = hashAndCopy(*file, 1, s.size, nullptr, 0);
  file->close();
  return s;
}

DataState dataStateOfFile(FileSystem& fs, const std::string& path) {
  FileState f = currentFileState(fs, path);
  if (!f.present) throw RuntimeError(err::kFileNotFound, path);
  return DataState{f.hash, f.size};
}

Digest sectorHash(BinaryFile& archive, std::int64_t offset, std::int64_t sectors) {
  const std::int64_t bytes = sectors * sector;
  return hashAndCopy(archive, offset * sector + 1, bytes, nullptr, 0, bytes);
}

bool entryHolds(BinaryFile& archive, const IMGEntry& e, const DataState& data) {
  if (e.size != sectorsFor(data.bytes) || e.offset < 0) return false;
  const std::int64_t start = std::int64_t{e.offset} * sector;
  if (start + data.bytes > archive.length()) return false;
  return hashAndCopy(archive, start + 1, data.bytes, nullptr, 0) == data.hash;
}

}  // namespace tamberlin::journal
