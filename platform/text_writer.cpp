#include "platform/text_writer.h"

namespace tamberlin {

TextWriter::TextWriter(std::FILE* file, std::FILE* flushFirst)
    : file_(file), flushFirst_(flushFirst) {}

TextWriter::TextWriter(std::string& into) : into_(&into) {}

TextWriter& TextWriter::operator<<(std::string_view text) {
  if (into_ != nullptr) {
    into_->append(text);
  } else if (!text.empty()) {
    if (flushFirst_ != nullptr) std::fflush(flushFirst_);
    std::fwrite(text.data(), 1, text.size(), file_);
  }
  return *this;
}

void TextWriter::flush() {
  if (file_ != nullptr) std::fflush(file_);
}

TextWriter& standardOut() {
  static TextWriter out(stdout);
  return out;
}

TextWriter& standardErr() {
  static TextWriter err(stderr, stdout);
  return err;
}

std::string padLeft(std::string_view text, std::size_t width) {
  std::string out(text.size() < width ? width - text.size() : 0, ' ');
  out.append(text);
  return out;
}

}  // namespace tamberlin
