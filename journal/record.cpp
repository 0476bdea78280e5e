#include "journal/record.h"

#include <array>

#include "journal/hex.h"

namespace tamberlin::journal {
namespace {

std::array<std::uint32_t, 256> makeCrcTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}

std::string crcHex(std::uint32_t crc) {
  unsigned char b[4] = {static_cast<unsigned char>(crc >> 24),
                        static_cast<unsigned char>(crc >> 16), static_cast<unsigned char>(crc >> 8),
                        static_cast<unsigned char>(crc)};
  return hexOf(b, 4);
}

}  // namespace

std::uint32_t crc32(const void* data, std::size_t n, std::uint32_t crc) {
  static const std::array<std::uint32_t, 256> kTable = makeCrcTable();
  const auto* p = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::string escapeField(const std::string& field) {
  std::string out;
  for (char ch : field) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x" + hexOf(&c, 1);
    } else {
      out += ch;
    }
  }
  return out;
}

bool unescapeField(const std::string& text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return false;  // a control byte is always escaped
    if (c != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 'x': {
        unsigned char b;
        if (i + 2 >= text.size()) return false;
        if (!parseHex(text.substr(i + 1, 2), &b, 1)) return false;
        out += static_cast<char>(b);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

std::string encodeRecord(const Record& r) {
  std::string body = r.kind;
  for (const std::string& f : r.fields) body += "\t" + escapeField(f);
  return crcHex(crc32(body)) + " " + body + "\n";
}

std::string decodeRecord(const std::string& line, Record& out) {
  if (line.size() < 10 || line[8] != ' ') return "it does not begin with a checksum";
  const std::string body = line.substr(9);
  if (line.compare(0, 8, crcHex(crc32(body))) != 0) return "its checksum does not match";
  out = Record{};
  std::size_t start = 0;
  bool first = true;
  for (;;) {
    std::size_t tab = body.find('\t', start);
    std::string part =
        body.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    if (first) {
      out.kind = part;
      first = false;
    } else {
      std::string field;
      if (!unescapeField(part, field)) return "a field holds a malformed escape";
      out.fields.push_back(std::move(field));
    }
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  if (out.kind.empty()) return "it names no kind of record";
  return {};
}

}  // namespace tamberlin::journal
