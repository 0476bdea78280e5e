#include "installscript/lint_code_page.h"

#include "platform/ansi.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

namespace tamberlin {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr unsigned kUtf8CodePage = 65001;
/// The longest word misreadWord shows, in bytes.
constexpr std::size_t kShownWord = 40;

bool endsWord(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '"' || c == '\\' || c == '/';
}

}  // namespace

std::string codePageText() {
  return "code page " + std::to_string(codePage());
}

bool isUtf8(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = utf8Length(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

bool savedAsUtf8(const std::string& bytes) {
  if (codePage() == kUtf8CodePage) return false;
  const std::string text = bytes.compare(0, 3, kByteOrderMark) == 0 ? bytes.substr(3) : bytes;
  return !isAscii(text) && isUtf8(text);
}

std::string misreadWord(const std::string& line) {
  std::size_t first = 0;
  while (first < line.size() && static_cast<unsigned char>(line[first]) < 0x80) ++first;
  if (first == line.size()) return {};
  std::size_t begin = first, end = first;
  while (begin > 0 && !endsWord(line[begin - 1])) --begin;
  while (end < line.size() && !endsWord(line[end]) && end - begin < kShownWord)
    end += utf8Length(line, end) == 0 ? 1 : utf8Length(line, end);
  const std::string word = line.substr(begin, end - begin);
  return "\"" + word + "\" reads as \"" + ansiToUtf8(word) + "\"";
}

}  // namespace tamberlin
