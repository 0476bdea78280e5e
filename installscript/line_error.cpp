#include "installscript/line_error.h"

#include "installscript/script_file.h"
#include "platform/win_path.h"

namespace tamberlin {

std::string scriptLineName(std::size_t index) {
  return std::string(kScriptFile) + " line " + std::to_string(index + 1);
}

RuntimeError atScriptLine(std::size_t index, ScriptCommand command, const RuntimeError& e) {
  const std::string line = scriptLineName(index);
  // "line 1" is in "line 12": the name must end where the detail's word ends.
  const std::size_t at = e.detail().find(line);
  const std::size_t end = at + line.size();
  if (at != std::string::npos &&
      (end == e.detail().size() || !(e.detail()[end] >= '0' && e.detail()[end] <= '9')))
    return e;
  const std::string where = line + " (" + commandName(command) + ")";
  return RuntimeError(e.number(), e.detail().empty() ? where : where + ": " + e.detail());
}

RuntimeError emptyFieldError(std::size_t index, ScriptCommand command) {
  return RuntimeError(err::kPathFileAccess,
                      scriptLineName(index) + ": " + commandName(command) +
                          " names the game folder itself (its field is empty)");
}

RuntimeError tooFewFieldsError(std::size_t index, const script::TooFewFields& line) {
  return RuntimeError(err::kInputPastEnd, std::string(kScratchFile) + ", the operands of " +
                                              scriptLineName(index) + ": " +
                                              script::describe(line));
}

RuntimeError missingArchiveError(const std::string& archive, const std::string& entry) {
  return RuntimeError(err::kFileNotFound, "the archive " + displayPath(archive) +
                                              " (to replace entry \"" + entry +
                                              "\" in) does not exist");
}

RuntimeError missingReplacementError(const std::string& file, const std::string& entry) {
  return RuntimeError(err::kFileNotFound,
                      "the replacement file " + file + " for entry \"" + entry + "\"");
}

}  // namespace tamberlin
