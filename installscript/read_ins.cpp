// ReadINS: the install script's lines into the window's line table.
#include <cstdint>

#include "installscript/form1_install.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"

namespace tamberlin {
namespace {

/// The script's bytes. A script that cannot be opened is the platform's bad-file-number error,
/// as the reader's first read on a channel that never opened fails; the detail says why.
std::string readScript(FileSystem& fs, const std::string& name) {
  std::unique_ptr<BinaryFile> file;
  try {
    file = fs.open(name, OpenMode::Read);
  } catch (const RuntimeError& e) {
    throw RuntimeError(err::kBadFileNameOrNumber,
                       name + " could not be opened in " + fs.currentDir() + " (" + e.text() + ")");
  }
  return readWholeFile(*file);
}

}  // namespace

void Form1Install::ReadINS() {
  if (insLines.size() < kMaxLines) insLines.resize(kMaxLines);
  for (const std::string& raw : splitLines(readScript(fs_, kScriptFile))) {
    auto slot = static_cast<std::size_t>(static_cast<std::int32_t>(numNumHH));
    if (slot >= kMaxLines) {
      throw RuntimeError(err::kSubscript, std::string(kScriptFile) + " has more than " +
                                              std::to_string(kMaxLines) + " lines");
    }
    insLines[slot] = ansiToUtf8(raw);
    numNumHH += 1;
  }
}

}  // namespace tamberlin
