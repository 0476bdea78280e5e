#include "installscript/containment.h"

#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

/// A component that Windows reads as the parent folder: two or more dots, blanks after them
/// being trimmed the way Windows trims a name's trailing dots and blanks.
bool isParentComponent(const std::string& part) {
  std::size_t dots = 0;
  for (char c : part) {
    if (c == '.') {
      ++dots;
    } else if (c != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

}  // namespace

std::string gamePathProblem(const std::string& field) {
  if (field.size() >= 2 && isPathSeparator(field[0]) && isPathSeparator(field[1]))
    return "it starts with a network path prefix";
  if (field.find(':') != std::string::npos)
    return hasDriveLetter(field) ? "it names a drive" : "it holds a colon";
  for (const std::string& part : splitPath(field)) {
    if (isParentComponent(part)) return "its \"" + part + "\" climbs out of the game folder";
  }
  return {};
}

void checkGamePath(const std::string& field, const std::string& where) {
  std::string problem = gamePathProblem(field);
  if (problem.empty()) return;
  throw RuntimeError(err::kPathFileAccess,
                     where + ": \"" + field + "\" would leave the game folder (" + problem + ")");
}

std::string gamePath(const std::string& saPath, const std::string& field) {
  return saPath + "\\" + field;
}

}  // namespace tamberlin
