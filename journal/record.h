#pragma once
// One line of journal.txt: "<crc32> <kind>\t<field>\t...\n". The CRC-32 (8 lowercase hex digits)
// covers everything after the blank up to the line feed. Inside a field a backslash, a tab, a
// line feed, a carriage return and every other control byte are escaped (\\, \t, \n, \r, \xHH),
// so a record never holds a NUL byte and a field never holds a separator.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamberlin::journal {

/// CRC-32 (the one of zip and PNG), continued from `crc` (0 to start).
std::uint32_t crc32(const void* data, std::size_t n, std::uint32_t crc = 0);
inline std::uint32_t crc32(const std::string& s, std::uint32_t crc = 0) {
  return crc32(s.data(), s.size(), crc);
}

struct Record {
  std::string kind;
  std::vector<std::string> fields;
};

/// The record's line, line feed included.
std::string encodeRecord(const Record& r);

/// Decodes one line (without its line feed). Returns an empty string and fills `out`, or says
/// what is wrong with the line ("its checksum does not match").
std::string decodeRecord(const std::string& line, Record& out);

std::string escapeField(const std::string& field);
/// False for a malformed escape.
bool unescapeField(const std::string& text, std::string& out);

}  // namespace tamberlin::journal
