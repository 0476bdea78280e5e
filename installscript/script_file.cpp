#include "installscript/script_file.h"

#include <memory>

#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"

namespace tamberlin {

std::string readScriptBytes(FileSystem& fs, const std::string& path) {
  std::unique_ptr<BinaryFile> file;
  try {
    file = fs.open(path, OpenMode::Read);
  } catch (const RuntimeError& e) {
    throw RuntimeError(err::kBadFileNameOrNumber,
                       path + " could not be opened in " + fs.currentDir() + " (" + e.text() + ")");
  }
  return readWholeFile(*file);
}

RuntimeError tooManyLines(const std::string& path) {
  return RuntimeError(err::kSubscript,
                      path + " has more than " + std::to_string(kMaxScriptLines) + " lines");
}

std::vector<std::string> scriptLines(const std::string& bytes) {
  std::vector<std::string> lines = splitLines(bytes);
  for (std::string& line : lines) line = ansiToUtf8(line);
  return lines;
}

}  // namespace tamberlin
