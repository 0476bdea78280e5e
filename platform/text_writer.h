#pragma once
// Console text on C stdio instead of iostreams. The command-line side of the program prints
// through this: a statically linked Windows exe that touches std::cout or std::ostringstream
// carries the whole locale machinery of the C++ library (about a megabyte); this costs nothing.

#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace tamberlin {

/// Text written in order to a C stream, or appended to a string. Numbers are written in decimal
/// as `std::to_string` spells them; a `char` is written as that character.
class TextWriter {
 public:
  /// Writes to `file`. When `flushFirst` is given, it is flushed before each write, so that
  /// output of the two streams keeps its order on a shared terminal or file (stderr after
  /// stdout, as std::cerr is tied to std::cout).
  explicit TextWriter(std::FILE* file, std::FILE* flushFirst = nullptr);
  /// Appends to `into`, which must outlive this object.
  explicit TextWriter(std::string& into);

  TextWriter& operator<<(std::string_view text);
  TextWriter& operator<<(const char* text) { return *this << std::string_view(text); }
  TextWriter& operator<<(const std::string& text) { return *this << std::string_view(text); }
  TextWriter& operator<<(char c) { return *this << std::string_view(&c, 1); }
  template <class N, std::enable_if_t<std::is_integral_v<N> && !std::is_same_v<N, char> &&
                                          !std::is_same_v<N, bool>,
                                      int> = 0>
  TextWriter& operator<<(N n) {
    return *this << std::string_view(std::to_string(n));
  }

  /// Hands what the C stream buffers to the system (nothing to do for a string).
  void flush();
  /// True when this writes to `file`.
  bool writesTo(std::FILE* file) const { return file_ == file; }

 private:
  std::FILE* file_ = nullptr;
  std::FILE* flushFirst_ = nullptr;
  std::string* into_ = nullptr;
};

/// The program's standard output.
TextWriter& standardOut();
/// The program's standard error; it flushes standard output before each write.
TextWriter& standardErr();

/// `text` right-aligned in a field of `width` characters (longer text is kept whole), like a
/// number in a column.
std::string padLeft(std::string_view text, std::size_t width);

}  // namespace tamberlin
