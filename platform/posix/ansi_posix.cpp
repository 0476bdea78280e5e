// The code page conversions through the C library's iconv, a whole text per call. The code page
// follows the user's locale (Windows takes it from the system's settings; here there are none).
#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/ansi.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

namespace tamberlin {
namespace {

std::string iconvName(unsigned cp) {
  return cp == 65001 ? std::string("UTF-8") : "CP" + std::to_string(cp);
}

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  /// Converts from `*in` on, appending to `out`, until the input is used up (true) or a unit it
  /// cannot convert stands at `*in` (false). Whatever the converter held back is appended too,
  /// so the caller may append its own replacement in order.
  bool convert(const char*& in, std::size_t& left, std::string& out) {
    char buf[4096];
    for (;;) {
      char* src = const_cast<char*>(in);
      char* dst = buf;
      std::size_t room = sizeof buf;
      const std::size_t r = left == 0 ? iconv(cd_, nullptr, nullptr, &dst, &room)
                                      : iconv(cd_, &src, &left, &dst, &room);
      const int error = r == static_cast<std::size_t>(-1) ? errno : 0;
      in = src;
      out.append(buf, sizeof buf - room);
      if (error == E2BIG) continue;
      flush(out);
      return error == 0;
    }
  }

  void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  void flush(std::string& out) {
    char buf[64];
    char* dst = buf;
    std::size_t room = sizeof buf;
    iconv(cd_, nullptr, nullptr, &dst, &room);
    out.append(buf, sizeof buf - room);
  }

  iconv_t cd_;
};

/// Both directions for the code page in use, opened again when it changes.
struct Converters {
  explicit Converters(unsigned codePage)
      : cp(codePage), decode("UTF-8", iconvName(cp)), encode(iconvName(cp), "UTF-8") {
    if (!decode.valid() || !encode.valid())
      throw std::runtime_error("iconv has no " + iconvName(cp));
  }
  unsigned cp;
  Converter decode;
  Converter encode;
};

Converters& converters() {
  static thread_local std::unique_ptr<Converters> c;
  const unsigned cp = codePage();
  if (!c || c->cp != cp) c = std::make_unique<Converters>(cp);
  return *c;
}

/// True for a byte that starts a two-byte character in the double-byte code pages.
bool isLeadByte(unsigned cp, unsigned char b) {
  switch (cp) {
    case 932:
      return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
      return b >= 0x81 && b <= 0xFE;
    default:
      return false;
  }
}

/// Bytes of the unit that did not decode at `p`: a lead byte takes a second byte with it (a
/// broken pair must never leave its second byte behind as a "\"), anything else stands alone.
std::size_t badUnitLength(unsigned cp, const char* p, std::size_t left) {
  if (cp == 65001) return 1;
  const auto next = left > 1 ? static_cast<unsigned char>(p[1]) : 0;
  return isLeadByte(cp, static_cast<unsigned char>(p[0])) && next >= 0x40 && next != 0x7F ? 2 : 1;
}

/// What a byte sequence the code page does not define decodes to (see ansiToUtf8).
void appendUndefined(std::string& out, const char* p, std::size_t n) {
  const auto b = static_cast<unsigned char>(p[0]);
  appendUtf8(out, n == 1 && b >= 0x80 && b < 0xA0 ? b : 0xFFFD);
}

}  // namespace

unsigned systemCodePage() {
  return codePageForLocale(ctypeLocale());
}

bool codePageAvailable(unsigned cp) {
  if (cp == 0) return false;
  Converter decode("UTF-8", iconvName(cp)), encode(iconvName(cp), "UTF-8");
  if (!decode.valid() || !encode.valid()) return false;
  std::string ascii;
  for (int b = 1; b < 0x80; ++b) ascii += static_cast<char>(b);
  std::string out;
  const char* in = ascii.data();
  std::size_t left = ascii.size();
  return decode.convert(in, left, out) && out == ascii;
}

std::string ansiToUtf8(const std::string& ansi) {
  if (isAscii(ansi)) return ansi;
  Converters& c = converters();
  c.decode.reset();
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 2);
  const char* in = ansi.data();
  std::size_t left = ansi.size();
  while (!c.decode.convert(in, left, out)) {
    const std::size_t n = badUnitLength(c.cp, in, left);
    appendUndefined(out, in, n);
    in += n;
    left -= n;
    c.decode.reset();
  }
  return out;
}

namespace detail {

std::size_t encodeUntilMissing(const std::string& utf8, std::size_t from, std::string& out) {
  Converters& c = converters();
  c.encode.reset();
  const char* in = utf8.data() + from;
  std::size_t left = utf8.size() - from;
  while (!c.encode.convert(in, left, out)) {
    const std::size_t pos = static_cast<std::size_t>(in - utf8.data());
    const std::size_t n = utf8Length(utf8, pos);
    const unsigned cp = n > 1 ? utf8CodePoint(utf8, pos, n) : 0;
    if (cp < 0x80 || cp >= 0xA0) return pos;
    out += static_cast<char>(cp);
    in += n;
    left -= n;
    c.encode.reset();
  }
  return utf8.size();
}

}  // namespace detail

std::wstring utf8ToWide(const std::string& utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = utf8Length(utf8, i);
    out += static_cast<wchar_t>(utf8CodePoint(utf8, i, n == 0 ? 1 : n));
    i += n == 0 ? 1 : n;
  }
  return out;
}

}  // namespace tamberlin
