#pragma once
// The install script file "ins.cfg": its lines, decoded from the ANSI code page.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/runtime_error.h"

namespace tamberlin {

class FileSystem;

/// The install script, in the current folder.
inline constexpr const char* kScriptFile = "ins.cfg";
/// The scratch file that turns a command's operand text into fields, in the current folder.
inline constexpr const char* kScratchFile = "installing.tmp";
/// The most lines an installation reads.
constexpr std::size_t kMaxScriptLines = 50001;

/// The script's bytes. A script that cannot be opened is the platform's bad-file-number error
/// (52), as the reader's first read on a channel that never opened fails; the detail says why.
std::string readScriptBytes(FileSystem& fs, const std::string& path = kScriptFile);

/// The lines of the script's bytes (CR, CR LF or a lone LF end a line), decoded to UTF-8, all of
/// them: a reader stops past kMaxScriptLines (error 9, tooManyLines).
std::vector<std::string> scriptLines(const std::string& bytes);

/// Error 9 for a script of more than kMaxScriptLines lines, as the reader raises it.
RuntimeError tooManyLines(const std::string& path = kScriptFile);

}  // namespace tamberlin
