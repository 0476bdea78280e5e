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

/// What is wrong with a game path: a ".." part (refused as such), or a way out of the folder.
struct Problem {
  bool parentPart = false;
  std::string text;  ///< empty when the path stays inside
};

Problem findProblem(const std::string& field) {
  if (field.size() >= 2 && isPathSeparator(field[0]) && isPathSeparator(field[1]))
    return {false, "it starts with a network path prefix"};
  if (field.find(':') != std::string::npos)
    return {false, hasDriveLetter(field) ? "it names a drive" : "it holds a colon"};
  for (const std::string& part : splitPath(field)) {
    if (isParentComponent(part)) return {true, "a \"" + part + "\" part"};
  }
  return {};
}

}  // namespace

std::string gamePathProblem(const std::string& field) {
  return findProblem(field).text;
}

std::string gamePathRefusal(const std::string& field) {
  const Problem p = findProblem(field);
  if (p.text.empty()) return {};
  const std::string quoted = "\"" + field + "\"";
  if (p.parentPart)
    return quoted + ": " + p.text +
           " is not allowed in a game path (game paths may not leave the game folder)";
  return quoted + " would leave the game folder (" + p.text + ")";
}

void checkGamePath(const std::string& field, const std::string& where) {
  std::string refusal = gamePathRefusal(field);
  if (!refusal.empty()) throw RuntimeError(err::kPathFileAccess, where + ": " + refusal);
}

std::string gamePath(const std::string& saPath, const std::string& field) {
  return saPath + "\\" + field;
}

}  // namespace tamberlin
