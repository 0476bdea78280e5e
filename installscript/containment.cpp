#include "installscript/containment.h"

#include "platform/ansi.h"
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

/// The name as Windows opens it: trailing dots and blanks dropped.
std::string trimmedForWindows(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name;
}

bool isShortNameOfOwnFolder(const std::string& name) {
  // 8.3 names of "Tamberlin": the first six letters, "~" and digits.
  if (name.size() < 8 || !sameNameIgnoringCase(name.substr(0, 6), "TAMBER") || name[6] != '~')
    return false;
  for (std::size_t i = 7; i < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

/// What is wrong with a game path: a ".." part (refused as such), our own folder, or a way out
/// of the game folder.
struct Problem {
  enum class Kind { None, Leaves, ParentPart, OwnFolder };
  Kind kind = Kind::None;
  std::string text;  ///< empty when the path stays inside
};

Problem findProblem(const std::string& field) {
  if (field.size() >= 2 && isPathSeparator(field[0]) && isPathSeparator(field[1]))
    return {Problem::Kind::Leaves, "it starts with a network path prefix"};
  if (field.find(':') != std::string::npos)
    return {Problem::Kind::Leaves, hasDriveLetter(field) ? "it names a drive" : "it holds a colon"};
  for (const std::string& part : splitPath(field)) {
    if (isParentComponent(part)) return {Problem::Kind::ParentPart, "a \"" + part + "\" part"};
  }
  if (namesOwnFolder(field))
    return {Problem::Kind::OwnFolder, std::string("it names ") + kOwnFolder + "'s own folder"};
  return {};
}

}  // namespace

bool namesOwnFolder(const std::string& field) {
  for (const std::string& part : splitPath(field)) {
    // "." parts (and blanks after them, trimmed) name the folder they are in.
    const std::string name = trimmedForWindows(part);
    if (name.empty()) continue;
    return sameNameIgnoringCase(name, kOwnFolder) || isShortNameOfOwnFolder(name);
  }
  return false;
}

std::string gamePathProblem(const std::string& field) {
  return findProblem(field).text;
}

std::string gamePathRefusal(const std::string& field) {
  const Problem p = findProblem(field);
  if (p.text.empty()) return {};
  const std::string quoted = "\"" + field + "\"";
  if (p.kind == Problem::Kind::ParentPart)
    return quoted + ": " + p.text +
           " is not allowed in a game path (game paths may not leave the game folder)";
  if (p.kind == Problem::Kind::OwnFolder)
    return quoted + ": the game path names " + kOwnFolder +
           "'s own folder, where installations keep their journals; no script may change it";
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
