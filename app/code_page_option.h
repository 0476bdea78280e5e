#pragma once
// "--codepage N": the ANSI code page of the 8-bit texts ("ins.cfg", "text.cfg", "installing.tmp",
// names in an archive) for the commands that read or write them, instead of the system's.

#include <string>
#include <vector>

namespace tamberlin {

class TextWriter;

/// The option's line in a command's usage text.
extern const char kCodePageUsage[];

/// Takes "--codepage N" or "--codepage=N" out of `args` (options end at "--") and makes N the
/// code page. When N is no number or a code page this system cannot convert, reports that on
/// `err` as "tamberlin COMMAND: ..." and returns false: a usage error.
bool takeCodePageOption(std::vector<std::string>& args, const std::string& command,
                        TextWriter& err);

}  // namespace tamberlin
