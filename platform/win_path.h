#pragma once
// Program paths are written the Windows way ("models\gta3.img"). These helpers take them apart
// without touching the disk.

#include <string>
#include <vector>

namespace tamberlin {

/// True for a backslash or a forward slash: both separate folders on every platform.
inline bool isPathSeparator(char c) {
  return c == '\\' || c == '/';
}

/// True when the path starts with a drive ("C:", "c:\games").
bool hasDriveLetter(const std::string& path);

/// True when the path starts at a root: a separator, a drive letter or a UNC prefix.
bool isAbsoluteProgramPath(const std::string& path);

/// The path's components between separators; empty components (doubled separators) dropped.
std::vector<std::string> splitPath(const std::string& path);

/// The part of `path` after its last separator ("\" or "/"); the whole path without one.
std::string baseName(const std::string& path);

/// The part of `path` before its last separator; empty without one.
std::string parentPath(const std::string& path);

/// Joins a folder and a name with one separator of the native kind.
std::string joinPath(const std::string& dir, const std::string& name);

/// `path` as this platform writes paths, for messages: every separator the native one, runs of
/// them one ("/games/GTA\\models\gta3.img" becomes "/games/GTA/models/gta3.img" on Linux). A
/// network prefix ("\\\\server") stays on Windows.
std::string displayPath(const std::string& path);

/// `path` as Windows writes paths, whatever the host: for texts about Windows' own calls.
std::string windowsDisplayPath(const std::string& path);

/// The upper case of a character for comparing names, the same whatever locale the process
/// runs in (letters beyond ASCII included: "é" gives "É").
wchar_t upperCase(wchar_t c);

/// Compares two names as Windows does: without regard to letter case.
bool sameNameIgnoringCase(const std::string& a, const std::string& b);

}  // namespace tamberlin
