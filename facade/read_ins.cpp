// ReadINS: the install script's lines into the window's line table.
#include <cstdint>

#include "facade/form1_install.h"
#include "installscript/script_file.h"
#include "platform/runtime_error.h"

namespace tamberlin {

void Form1Install::ReadINS() {
  if (insLines.size() < kMaxLines) insLines.resize(kMaxLines);
  for (std::string& line : scriptLines(readScriptBytes(fs_, kScriptFile))) {
    auto slot = static_cast<std::size_t>(static_cast<std::int32_t>(numNumHH));
    if (slot >= kMaxLines) throw tooManyLines();
    insLines[slot] = std::move(line);
    numNumHH += 1;
  }
}

}  // namespace tamberlin
