#include "journal/journal_writer.h"

#include <ctime>

#include "journal/hex.h"
#include "platform/file_system.h"

namespace tamberlin::journal {

JournalWriter::JournalWriter(FileSystem& fs, const std::string& path, bool fresh) {
  file_ = fs.open(path, fresh ? OpenMode::Create : OpenMode::ReadWriteExisting);
  if (fresh) return;
  std::string bytes(static_cast<std::size_t>(file_->length()), '\0');
  bytes.resize(file_->read(1, bytes.data(), bytes.size()));
  const std::size_t lf = bytes.rfind('\n');
  end_ = lf == std::string::npos ? 0 : static_cast<std::int64_t>(lf + 1);
  crc_ = crc32(bytes.data(), static_cast<std::size_t>(end_));
  // A torn last record goes; cutting it needs no flush of its own: what is written next covers
  // the same bytes, and what is left of it after a power cut is still a torn line.
  if (end_ < static_cast<std::int64_t>(bytes.size())) file_->truncate(end_);
}

JournalWriter::~JournalWriter() = default;

void JournalWriter::append(const Record& r) {
  const std::string line = encodeRecord(r);
  pending_ += line;
  crc_ = crc32(line, crc_);
}

void JournalWriter::appendReady() {
  const unsigned char b[4] = {
      static_cast<unsigned char>(crc_ >> 24), static_cast<unsigned char>(crc_ >> 16),
      static_cast<unsigned char>(crc_ >> 8), static_cast<unsigned char>(crc_)};
  append(Record{"ready", {hexOf(b, 4)}});
}

void JournalWriter::push() {
  if (pending_.empty()) return;
  file_->write(end_ + 1, pending_.data(), pending_.size());
  end_ += static_cast<std::int64_t>(pending_.size());
  pending_.clear();
}

void JournalWriter::sync() {
  push();
  file_->sync();
}

void JournalWriter::close() {
  push();
  file_->close();
}

std::string nowUtc() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  gmtime_s(&tm, &t);
#else
  gmtime_r(&t, &tm);
#endif
  char out[32];
  std::strftime(out, sizeof out, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return out;
}

}  // namespace tamberlin::journal
