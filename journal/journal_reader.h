#pragma once
// journal.txt read back. Records are appended; a power cut may lose or tear the appends since the
// last flush. An append past the file's end that was lost or torn leaves NUL bytes (never part of
// a record) or a last line without its line feed, so those are remnants and are passed over. Any
// other line that does not decode is damage.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "journal/record.h"

namespace tamberlin::journal {

struct JournalLine {
  std::size_t number = 0;       ///< 1-based line of the file
  std::uint32_t crcBefore = 0;  ///< CRC-32 of the file's bytes before this line
  Record record;
};

struct JournalText {
  std::vector<JournalLine> lines;  ///< the records that decoded, in order
  std::size_t damagedLine = 0;     ///< the first line that is damage (0 when none)
  std::string damage;              ///< what is wrong with it
  std::int64_t validEnd = 0;       ///< bytes up to the last line feed (appends go after it)
};

JournalText readJournalText(const std::string& bytes);

}  // namespace tamberlin::journal
