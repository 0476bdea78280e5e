#pragma once
// The errors with which a script line ends the installation, built in one place: the
// installation throws them when a line fails, and the check before it reports the same error
// for a line that would fail.

#include <cstddef>
#include <string>

#include "installscript/command_word.h"
#include "installscript/script.h"
#include "platform/runtime_error.h"

namespace tamberlin {

/// "ins.cfg line N" for the 0-based line `index`.
std::string scriptLineName(std::size_t index);

/// `e` as the installation reports it for line `index` running `command`: prefixed with the
/// line and its command, unless its detail names the line already.
RuntimeError atScriptLine(std::size_t index, ScriptCommand command, const RuntimeError& e);

/// A DELETE or MAKEDIR whose field is empty, which would name the game folder itself.
RuntimeError emptyFieldError(std::size_t index, ScriptCommand command);

/// A line with fewer fields than its command needs: the field reader reads past the end of the
/// scratch file.
RuntimeError tooFewFieldsError(std::size_t index, const script::TooFewFields& line);

/// A REPINIMG whose archive does not exist (reading it would make it, empty).
RuntimeError missingArchiveError(const std::string& archive, const std::string& entry);

/// A REPINIMG whose replacement file does not exist or is a folder.
RuntimeError missingReplacementError(const std::string& file, const std::string& entry);

}  // namespace tamberlin
