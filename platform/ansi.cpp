// The code-page-independent half of the conversions: strict and lenient encoding over the
// platform's encoder, and the text of a failure.
#include "platform/ansi.h"

#include <cstdio>

#include "platform/code_page.h"
#include "platform/runtime_error.h"
#include "platform/utf8.h"

namespace tamberlin {
namespace {

constexpr unsigned kReplacement = 0xFFFD;

/// The character at `pos` as a string: one UTF-8 sequence, or the single byte that starts none.
std::string characterAt(const std::string& utf8, std::size_t pos) {
  const std::size_t n = utf8Length(utf8, pos);
  return utf8.substr(pos, n == 0 ? 1 : n);
}

std::string hex(unsigned value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  return buf;
}

}  // namespace

AnsiEncoding encodeAnsi(const std::string& utf8) {
  AnsiEncoding out;
  if (isAscii(utf8)) {
    out.bytes = utf8;
    return out;
  }
  const std::size_t stop = detail::encodeUntilMissing(utf8, 0, out.bytes);
  if (stop < utf8.size()) out.missing = characterAt(utf8, stop);
  return out;
}

std::string ansiBytes(const std::string& utf8, const std::string& what) {
  AnsiEncoding e = encodeAnsi(utf8);
  if (!e.ok()) throw RuntimeError(err::kBadFileNameOrNumber, unencodableText(what, e.missing));
  return std::move(e.bytes);
}

std::string unencodableText(const std::string& what, const std::string& missing) {
  const std::string cp = "code page " + std::to_string(codePage());
  const std::size_t n = missing.empty() ? 0 : utf8Length(missing, 0);
  if (n == 0)
    return what + " holds the byte 0x" +
           hex(missing.empty() ? 0 : static_cast<unsigned char>(missing[0]), 2) +
           ", which is not UTF-8 text";
  const unsigned c = utf8CodePoint(missing, 0, n);
  if (c == kReplacement) return what + " holds bytes that are no character of " + cp;
  return what + " holds \"" + missing + "\" (U+" + hex(c, 4) + "), which " + cp + " cannot hold";
}

std::string utf8ToAnsi(const std::string& utf8) {
  if (isAscii(utf8)) return utf8;
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    pos = detail::encodeUntilMissing(utf8, pos, out);
    if (pos >= utf8.size()) break;
    const std::size_t n = utf8Length(utf8, pos);
    out += n == 0 ? utf8[pos] : '?';
    pos += n == 0 ? 1 : n;
  }
  return out;
}

}  // namespace tamberlin
