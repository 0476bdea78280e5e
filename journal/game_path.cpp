#include "journal/game_path.h"

#include <cstdint>

#include "platform/ansi.h"
#include "platform/win_path.h"

namespace tamberlin::journal {
namespace {

/// The name as Windows opens it: trailing dots and blanks dropped.
std::string trimmedForWindows(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name;
}

std::string componentProblem(const std::string& part) {
  if (trimmedForWindows(part).empty()) return "a part of it is only dots or blanks";
  for (char ch : part) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20) return "it holds a control character";
    if (std::string("<>:\"|?*").find(ch) != std::string::npos)
      return std::string("it holds the character ") + ch;
  }
  return {};
}

}  // namespace

std::string normaliseGamePath(const std::string& field) {
  std::string out;
  for (const std::string& part : splitPath(field))
    if (part != ".") out += (out.empty() ? "" : "\\") + part;  // Windows drops "." parts
  return out;
}

std::string gamePathProblem(const std::string& path) {
  if (path.empty()) return "it is empty";
  if (path.size() > 4096) return "it is longer than 4096 bytes";
  if (path.find('/') != std::string::npos) return "it holds a \"/\"";
  if (path.front() == '\\' || path.back() == '\\') return "it begins or ends with \"\\\"";
  if (path.find("\\\\") != std::string::npos) return "it holds an empty part";
  for (const std::string& part : splitPath(path)) {
    std::string why = componentProblem(part);
    if (!why.empty()) return why;
  }
  if (namesOwnFolder(path)) return std::string("it lies in ") + kOwnFolder + "'s own folder";
  return {};
}

std::string pathKey(const std::string& path) {
  std::wstring wide = utf8ToWide(path);
  std::string key;
  for (wchar_t c : wide) {
    const auto u = static_cast<std::uint32_t>(upperCase(c));
    key += std::to_string(u) + ".";  // exact and unambiguous; never shown
  }
  return key;
}

std::string underGame(const std::string& saPath, const std::string& path) {
  return saPath + "\\" + path;
}

}  // namespace tamberlin::journal
