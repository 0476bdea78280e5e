#include "platform/text_file.h"

#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

std::string readWholeFile(FileSystem& fs, const std::string& path) {
  return readWholeFile(*fs.open(path, OpenMode::Read));
}

std::string readWholeFile(BinaryFile& file) {
  std::string data(static_cast<std::size_t>(file.length()), '\0');
  data.resize(file.read(1, data.data(), data.size()));
  file.close();
  return data;
}

std::vector<std::string> readTextLines(FileSystem& fs, const std::string& path) {
  std::vector<std::string> lines = splitLines(readWholeFile(fs, path));
  for (std::string& line : lines) line = ansiToUtf8(line);
  return lines;
}

void writeTextLines(FileSystem& fs, const std::string& path,
                    const std::vector<std::string>& lines) {
  std::string data;
  for (const std::string& line : lines) {
    AnsiEncoding e = encodeAnsi(line);
    if (!e.ok())
      throw RuntimeError(err::kBadFileNameOrNumber,
                         unencodableText(path + " cannot take \"" + line + "\": it", e.missing));
    data += e.bytes + "\r\n";
  }
  auto file = fs.open(path, OpenMode::Create);
  if (!data.empty()) file->write(1, data.data(), data.size());
  file->close();
}

}  // namespace tamberlin
