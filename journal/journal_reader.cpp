#include "journal/journal_reader.h"

namespace tamberlin::journal {

JournalText readJournalText(const std::string& bytes) {
  JournalText out;
  std::uint32_t crc = 0;
  std::size_t start = 0, number = 0;
  for (;;) {
    const std::size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos) break;  // a last line without its line feed is a torn append
    ++number;
    const std::string line = bytes.substr(start, lf - start);
    const std::size_t nul = line.rfind('\0');
    const bool remnant = nul != std::string::npos;
    const std::string text = remnant ? line.substr(nul + 1) : line;
    // The record starts after the remnant; a ready record's checksum covers what lies before it.
    const std::uint32_t before = remnant ? crc32(bytes.data() + start, nul + 1, crc) : crc;
    crc = crc32(bytes.data() + start, lf + 1 - start, crc);
    start = lf + 1;
    out.validEnd = static_cast<std::int64_t>(start);
    if (text.empty() && remnant) continue;
    JournalLine j;
    j.number = number;
    j.crcBefore = before;
    std::string why = decodeRecord(text, j.record);
    if (why.empty()) {
      out.lines.push_back(std::move(j));
    } else if (!remnant && out.damagedLine == 0) {
      out.damagedLine = number;
      out.damage = why;
    }
  }
  return out;
}

}  // namespace tamberlin::journal
