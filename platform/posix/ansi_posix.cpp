// Windows-1252 conversions through the C library's iconv.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "platform/ansi.h"

namespace tamberlin {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  /// Converts one unit (a byte or one UTF-8 sequence); returns false when it has no mapping.
  bool convert(const char* in, std::size_t inLen, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char* src = const_cast<char*>(in);
    char* dst = buf;
    std::size_t left = sizeof buf;
    if (iconv(cd_, &src, &inLen, &dst, &left) == static_cast<std::size_t>(-1)) return false;
    out.append(buf, sizeof buf - left);
    return true;
  }

 private:
  iconv_t cd_;
};

/// Length of the UTF-8 sequence starting at s[i], or 0 when it is not valid UTF-8.
std::size_t utf8Length(const std::string& s, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return n;
}

void appendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string ansiToUtf8(const std::string& ansi) {
  static thread_local Converter conv("UTF-8", "WINDOWS-1252");
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) {
    if (static_cast<unsigned char>(c) < 0x80) {
      out += c;
    } else if (!conv.convert(&c, 1, out)) {
      appendUtf8(out, static_cast<unsigned char>(c));  // undefined in the code page
    }
  }
  return out;
}

std::string utf8ToAnsi(const std::string& utf8) {
  static thread_local Converter conv("WINDOWS-1252", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t n = utf8Length(utf8, i);
    if (n == 1) {
      out += utf8[i];
    } else if (n == 0) {
      out += utf8[i];  // not UTF-8: already an 8-bit byte
      n = 1;
    } else if (!conv.convert(utf8.data() + i, n, out)) {
      std::wstring w = utf8ToWide(utf8.substr(i, n));
      out += (!w.empty() && w[0] >= 0x80 && w[0] < 0xA0) ? static_cast<char>(w[0]) : '?';
    }
    i += n;
  }
  return out;
}

std::wstring utf8ToWide(const std::string& utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t n = utf8Length(utf8, i);
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (n <= 1) {
      out += static_cast<wchar_t>(c);
      ++i;
      continue;
    }
    unsigned cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    out += static_cast<wchar_t>(cp);
    i += n;
  }
  return out;
}

}  // namespace tamberlin
