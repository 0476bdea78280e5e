#pragma once
// File-name patterns of the "DELETE" command: "*" any run of characters, "?" one character,
// letter case ignored as Windows ignores it.

#include <string>

namespace tamberlin {

/// True when the whole `name` matches `pattern`. As on Windows, a pattern ending in ".*" also
/// matches names without that extension ("*.*" matches every name, "readme.*" matches "readme").
bool matchesPattern(const std::string& name, const std::string& pattern);

/// True when `text` holds "*" or "?".
bool hasWildcard(const std::string& text);

}  // namespace tamberlin
