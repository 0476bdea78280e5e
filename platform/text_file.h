#pragma once
// Text files ("text.cfg", "ins.cfg", "installing.tmp"): 8-bit text in the ANSI code page,
// decoded a whole line at a time.

#include <string>
#include <vector>

namespace tamberlin {

class BinaryFile;
class FileSystem;

/// Splits text into lines. A line ends at CR, at CR LF, or at a lone LF; the end mark is not part
/// of the line, and the last line needs none (a file ending in a line end gives no extra empty
/// line). Empty text gives no lines.
std::vector<std::string> splitLines(const std::string& text);

/// Reads the whole file as raw bytes. Errors: 53 missing, 76 path not found, 70 refused.
std::string readWholeFile(FileSystem& fs, const std::string& path);
/// Reads all of the open `file` as raw bytes, then closes it: for a caller that reports a
/// failed open in words of its own.
std::string readWholeFile(BinaryFile& file);

/// Reads a text file in the ANSI code page and returns its lines decoded to UTF-8.
std::vector<std::string> readTextLines(FileSystem& fs, const std::string& path);

/// Writes UTF-8 lines to a text file in the ANSI code page, each followed by CR LF (the file is
/// created or emptied first). A line the code page cannot hold is error 52, and nothing is
/// written.
void writeTextLines(FileSystem& fs, const std::string& path, const std::vector<std::string>& lines);

}  // namespace tamberlin
