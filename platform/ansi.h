#pragma once
// Text files and archive names are 8-bit text in the ANSI code page (codePage()). Inside the
// program text is UTF-8; these convert at the edges, through the platform's own converter.
//
// Decoding takes a whole text at once, before anything looks for "\", "/", "," or quotes in it:
// in the double-byte code pages (932, 936, 949, 950) the second byte of a character may be 0x5C,
// which is "\" only when it stands alone.

#include <cstddef>
#include <string>

namespace tamberlin {

/// Decodes bytes in the ANSI code page to UTF-8. Bytes that are no character of the code page:
/// each of 0x80-0x9F becomes the control character of the same value, as Windows does for the
/// holes of code page 1252 (so they encode back to themselves); any other such byte, and a
/// double-byte pair that is no character, becomes U+FFFD, which no code page can encode.
std::string ansiToUtf8(const std::string& ansi);

/// The outcome of encoding UTF-8 text to the ANSI code page.
struct AnsiEncoding {
  std::string bytes;    ///< the encoded text; up to the first failure when !ok()
  std::string missing;  ///< the first character the code page cannot hold (or invalid UTF-8)
  bool ok() const { return missing.empty(); }
};

/// Encodes UTF-8 to the ANSI code page, strictly: stops at the first character the code page
/// lacks, and at bytes that are not UTF-8. Control characters 0x80-0x9F that the code page
/// lacks encode as the byte of the same value (the other half of ansiToUtf8's rule).
AnsiEncoding encodeAnsi(const std::string& utf8);

/// encodeAnsi's bytes, or RuntimeError 52 ("Bad file name or number") with
/// unencodableText(what, ...) as its detail. For every name or path that becomes bytes.
std::string ansiBytes(const std::string& utf8, const std::string& what);

/// "WHAT holds "€" (U+20AC), which code page 1251 cannot hold": the text of a failed encoding.
std::string unencodableText(const std::string& what, const std::string& missing);

/// Encodes UTF-8 to the ANSI code page for showing only: a character the code page lacks
/// becomes "?", bytes that are not UTF-8 stay as they are. Never for a name or a path.
std::string utf8ToAnsi(const std::string& utf8);

/// Decodes UTF-8 to wide characters (each byte of invalid UTF-8 taken as one character, as in
/// Windows-1252).
std::wstring utf8ToWide(const std::string& utf8);

namespace detail {
/// The platform's encoder: appends the code page's bytes for utf8[from..] to `out` and returns
/// the position of the first character it cannot encode (utf8.size() when none), with the
/// control-character rule of encodeAnsi applied.
std::size_t encodeUntilMissing(const std::string& utf8, std::size_t from, std::string& out);
}  // namespace detail

}  // namespace tamberlin
