#include "imgarchive/check.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "imgarchive/codec.h"
#include "imgarchive/format.h"
#include "platform/ansi.h"
#include "platform/file_system.h"

namespace tamberlin {
namespace {

constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;

/// What the structural checks keep of a record: 12 bytes, so even the largest directory a
/// check examines stays small. Names are read again for the few lines that show them.
struct Span {
  std::uint32_t offset;
  std::uint32_t size;
  std::uint32_t record;  ///< 1-based
  std::uint64_t start() const { return std::uint64_t{offset} * sector; }
  std::uint64_t end() const { return (std::uint64_t{offset} + size) * sector; }
};

std::string hexBytes(const unsigned char* b, std::size_t n) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    if (i) out += ' ';
    out += hex[b[i] >> 4];
    out += hex[b[i] & 15];
  }
  return out;
}

std::string sectors(const Span& s) {
  if (s.size == 0) return "sector " + std::to_string(s.offset) + " (no sectors)";
  if (s.size == 1) return "sector " + std::to_string(s.offset);
  return "sectors " + std::to_string(s.offset) + ".." +
         std::to_string(std::uint64_t{s.offset} + s.size - 1);
}

const char* findingLabel(Finding f) {
  switch (f) {
    case Finding::BadHeader:
      return "bad headers";
    case Finding::DirectoryPastEnd:
      return "directory errors";
    case Finding::TooManyRecords:
      return "directory errors";
    case Finding::DataPastEnd:
      return "entries with data past the end of the file";
    case Finding::DataOverDirectory:
      return "entries with data over the directory";
    case Finding::DataOverlap:
      return "overlapping entries";
    case Finding::LongName:
      return "long names";
    case Finding::NameDot:
      return "names without a usable dot";
    case Finding::SizeHalves:
      return "entries whose two size halves differ";
    case Finding::DataPast4GiB:
      return "entries past 4 GiB";
    case Finding::NotContiguous:
      return "directory neighbours whose data is not contiguous";
  }
  return "findings";
}

/// Collects findings per kind, keeping the first few texts of each.
class Findings {
 public:
  explicit Findings(ArchiveReport& r) : report_(r) {}

  void add(Finding f, std::string text) {
    auto k = static_cast<std::size_t>(f);
    if (++report_.counts[k] <= kMaxLinesPerFinding) lines_[k].push_back(std::move(text));
  }

  /// Moves the texts into the report, kinds in order, each followed by its "and N more".
  void finish() {
    for (std::size_t k = 0; k < kFindingKinds; ++k) {
      auto f = static_cast<Finding>(k);
      auto& out = isError(f) ? report_.errors : report_.warnings;
      for (auto& line : lines_[k]) out.push_back(std::move(line));
      if (report_.counts[k] > kMaxLinesPerFinding)
        out.push_back("... and " + std::to_string(report_.counts[k] - kMaxLinesPerFinding) +
                      " more " + findingLabel(f));
    }
  }

 private:
  ArchiveReport& report_;
  std::array<std::vector<std::string>, kFindingKinds> lines_;
};

class Checker {
 public:
  Checker(BinaryFile& file, ArchiveReport& report) : file_(file), r_(report), found_(report) {}

  void run() {
    r_.fileLength = file_.length();
    if (readHeader()) {
      readDirectory();
      checkPlacement();
    }
    found_.finish();
  }

 private:
  bool readHeader() {
    HeaderBytes h{};
    const std::size_t got = file_.read(1, h.data(), h.size());
    ByteCursor in(h.data(), got);
    const Header header = decodeHeader(in);
    if (r_.fileLength < kHeaderSize || !in.ok()) {
      found_.add(Finding::BadHeader, "the file has " + std::to_string(r_.fileLength) +
                                         " bytes, fewer than the 8 of an archive header");
      return false;
    }
    if (!header.magicOk) {
      found_.add(Finding::BadHeader, "the file begins with the bytes " + hexBytes(h.data(), 4) +
                                         ", not \"VER2\": not an archive of this version");
      return false;
    }
    r_.headerOk = true;
    r_.entryCount = header.count;
    r_.directoryEnd = kHeaderSize + kRecordSize * std::int64_t{r_.entryCount};
    return true;
  }

  void readDirectory() {
    auto inFile = static_cast<std::uint64_t>((r_.fileLength - kHeaderSize) / kRecordSize);
    std::uint64_t toRead = r_.entryCount;
    if (r_.directoryEnd > r_.fileLength) {
      found_.add(Finding::DirectoryPastEnd,
                 "the header claims " + std::to_string(r_.entryCount) +
                     " records, a directory up to byte " + std::to_string(r_.directoryEnd) +
                     ", but the file has " + std::to_string(r_.fileLength) + " bytes (room for " +
                     std::to_string(inFile) + " records)");
      toRead = inFile;
    }
    if (toRead > kMaxCheckedRecords) {
      found_.add(Finding::TooManyRecords, "the directory has " + std::to_string(toRead) +
                                              " records; only the first " +
                                              std::to_string(kMaxCheckedRecords) + " were checked");
      toRead = kMaxCheckedRecords;
    }
    spans_.reserve(static_cast<std::size_t>(toRead));
    const auto chunk = static_cast<std::uint64_t>(kRecordsPerChunk);
    std::vector<unsigned char> buf(static_cast<std::size_t>(chunk * kRecordSize));
    for (std::uint64_t first = 0; first < toRead; first += chunk) {
      auto n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, toRead - first));
      std::size_t got =
          file_.read(recordPos(static_cast<std::int64_t>(first) + 1), buf.data(), n * kRecordSize);
      ByteCursor in(buf.data(), got);
      for (std::size_t i = 0; i < n; ++i) {
        const RawRecord raw = decodeRawRecord(in);
        if (!in.ok()) break;  // the file shrank under us
        record(static_cast<std::uint32_t>(first + i + 1), raw);
      }
      if (!in.ok()) break;
    }
    r_.recordsChecked = static_cast<std::uint32_t>(spans_.size());
  }

  void record(std::uint32_t k, const RawRecord& rec) {
    Span s{rec.offset, rec.sectors(), k};
    const char* name = rec.name.data();
    checkName(s, name);
    if (rec.streamingSize != 0 && rec.archiveSize != 0 && rec.streamingSize != rec.archiveSize)
      found_.add(Finding::SizeHalves, label(k, name) + ": its size halves differ (bytes 4-5 say " +
                                          std::to_string(rec.streamingSize) +
                                          " sectors, bytes 6-7 say " +
                                          std::to_string(rec.archiveSize) + "); the game reads " +
                                          std::to_string(rec.archiveSize) + ", as this check does");
    if (s.size > 0 && s.end() > k4GiB)
      found_.add(Finding::DataPast4GiB, label(k, name) + ": data at " + sectors(s) +
                                            " reaches past 4 GiB, where the game cannot read");
    if (!spans_.empty()) {
      const Span& p = spans_.back();
      if (std::uint64_t{p.offset} + p.size != s.offset)
        found_.add(Finding::NotContiguous,
                   "records " + std::to_string(p.record) + " and " + std::to_string(k) + " (" +
                       printableName(name, kNameSize) + "): data of " + std::to_string(p.record) +
                       " ends before sector " + std::to_string(std::uint64_t{p.offset} + p.size) +
                       ", data of " + std::to_string(k) + " starts at sector " +
                       std::to_string(s.offset));
    }
    spans_.push_back(s);
  }

  void checkName(const Span& s, const char* name) {
    std::size_t n = 0;
    while (n < kNameSize && name[n] != '\0') ++n;
    while (n > 0 && name[n - 1] == ' ') --n;
    if (n > 23)
      found_.add(Finding::LongName, label(s.record, name) + ": a name of " + std::to_string(n) +
                                        " characters; the game reads only the first 23");
    const char* dot = static_cast<const char*>(std::memchr(name, '.', n));
    if (n == 0)
      found_.add(Finding::NameDot, label(s.record, name) + ": an empty name");
    else if (!dot)
      found_.add(Finding::NameDot, label(s.record, name) + ": a name without a dot");
    else if (dot - name > 20)
      found_.add(Finding::NameDot, label(s.record, name) + ": the name's dot is its character " +
                                       std::to_string(dot - name + 1) +
                                       "; the game needs it among the first 21");
  }

  /// Data past the end, over the directory, over other data; dead bytes and holes.
  void checkPlacement() {
    auto len = static_cast<std::uint64_t>(r_.fileLength);
    auto dirEnd = static_cast<std::uint64_t>(r_.directoryEnd);
    std::vector<Span> used;
    used.reserve(spans_.size());
    for (const Span& s : spans_) {
      if (s.size == 0) continue;
      used.push_back(s);
      if (s.end() - sector >= len)
        found_.add(Finding::DataPastEnd,
                   label(s) + ": data at " + sectors(s) + " (to byte " + std::to_string(s.end()) +
                       ") runs past the end of the file (" + std::to_string(len) + " bytes)");
      if (s.start() < dirEnd)
        found_.add(Finding::DataOverDirectory, label(s) + ": data at " + sectors(s) +
                                                   " overlaps the header and directory (bytes 0.." +
                                                   std::to_string(dirEnd - 1) + ")");
    }
    std::sort(used.begin(), used.end(), [](const Span& a, const Span& b) {
      return a.offset != b.offset ? a.offset < b.offset : a.record < b.record;
    });
    sweep(used, len,
          std::min(sectorsFor(static_cast<std::int64_t>(dirEnd)) * sector, r_.fileLength));
  }

  void sweep(const std::vector<Span>& used, std::uint64_t len, std::int64_t floorPos) {
    auto floor = static_cast<std::uint64_t>(std::max<std::int64_t>(floorPos, 0));
    std::uint64_t cursor = floor;  // everything before it is directory or used data
    const Span* reach = nullptr;   // the span reaching furthest so far
    for (const Span& s : used) {
      if (reach && s.start() < reach->end())
        found_.add(Finding::DataOverlap, label(s) + ": data at " + sectors(s) + " overlaps " +
                                             label(*reach) + " at " + sectors(*reach));
      if (!reach || s.end() > reach->end()) reach = &s;
      std::uint64_t a = std::max(s.start(), floor), b = std::min(s.end(), len);
      if (b <= a) continue;
      if (a > cursor) {
        ++r_.holes;
        r_.deadBytes += a - cursor;
      }
      cursor = std::max(cursor, b);
    }
    if (reach) r_.dataEnd = static_cast<std::int64_t>(reach->end());
    if (len > cursor) {
      ++r_.holes;
      r_.deadBytes += len - cursor;
    }
  }

  std::string label(std::uint32_t k, const char* name) const {
    return "entry " + std::to_string(k) + " (" + printableName(name, kNameSize) + ")";
  }

  /// The label of a span, its name read again from the file.
  std::string label(const Span& s) {
    char name[kNameSize] = {};
    file_.read(recordPos(s.record) + 8, name, kNameSize);
    return label(s.record, name);
  }

  BinaryFile& file_;
  ArchiveReport& r_;
  Findings found_;
  std::vector<Span> spans_;
};

}  // namespace

bool isError(Finding f) {
  return f <= Finding::DataOverlap;
}

std::uint64_t ArchiveReport::errorCount() const {
  std::uint64_t n = 0;
  for (std::size_t k = 0; k < kFindingKinds; ++k)
    if (isError(static_cast<Finding>(k))) n += counts[k];
  return n;
}

std::uint64_t ArchiveReport::warningCount() const {
  std::uint64_t n = 0;
  for (std::size_t k = 0; k < kFindingKinds; ++k)
    if (!isError(static_cast<Finding>(k))) n += counts[k];
  return n;
}

std::string printableName(const char* bytes, std::size_t n) {
  std::size_t len = 0;
  while (len < n && bytes[len] != '\0') ++len;
  while (len > 0 && bytes[len - 1] == ' ') --len;
  // Decoded first: in a double-byte code page a 0x5C byte may be half of a character.
  const std::string text = ansiToUtf8(std::string(bytes, len));
  std::string out;
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || c == '\\') {
      static const char* hex = "0123456789ABCDEF";
      out += c == '\\' ? std::string("\\\\") : std::string{'\\', 'x', hex[c >> 4], hex[c & 15]};
    } else {
      out += ch;
    }
  }
  return out;
}

ArchiveReport checkArchive(FileSystem& fs, const std::string& path) {
  ArchiveReport report;
  auto file = fs.open(path, OpenMode::Read);
  Checker(*file, report).run();
  file->close();
  return report;
}

}  // namespace tamberlin
