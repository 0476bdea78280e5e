#include "platform/win_path.h"

#include <cctype>
#include <cwctype>

#include "platform/ansi.h"

namespace tamberlin {

bool hasDriveLetter(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool isAbsoluteProgramPath(const std::string& path) {
  return hasDriveLetter(path) || (!path.empty() && isPathSeparator(path[0]));
}

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (isPathSeparator(c)) {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

std::string baseName(const std::string& path) {
  auto pos = path.find_last_of("\\/");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string parentPath(const std::string& path) {
  auto pos = path.find_last_of("\\/");
  return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string joinPath(const std::string& dir, const std::string& name) {
#ifdef _WIN32
  const char sep = '\\';
#else
  const char sep = '/';
#endif
  if (dir.empty()) return name;
  if (isPathSeparator(dir.back())) return dir + name;
  return dir + sep + name;
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::wstring wa = utf8ToWide(a), wb = utf8ToWide(b);
  if (wa.size() != wb.size()) return false;
  for (std::size_t i = 0; i < wa.size(); ++i) {
    if (std::towupper(static_cast<wint_t>(wa[i])) != std::towupper(static_cast<wint_t>(wb[i])))
      return false;
  }
  return true;
}

}  // namespace tamberlin
