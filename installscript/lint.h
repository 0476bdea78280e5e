#pragma once
// Checking a mod for its author, without a game folder: what each line of its script means, what
// would go wrong or be silently ignored when it runs, and whether the wizard can load its texts
// ("text.cfg") and its banner ("image.jpg").

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tamberlin {

class FileSystem;
class TextWriter;

enum class LintLevel { Meaning, Warning, Error };

struct LintMessage {
  std::size_t line = 0;  ///< 1-based; 0 for the file as a whole
  LintLevel level = LintLevel::Meaning;
  std::string text;
  std::string file = "ins.cfg";
  /// For a warning that may come on many lines: what the lines have in common ("end with LF
  /// alone"), and what to do about it. A file's warnings of one group are printed once, with
  /// their count and lines.
  std::string group;
  std::string hint;
};

struct LintReport {
  std::vector<LintMessage> messages;  ///< in line order; a line's meaning before its findings
  std::size_t lines = 0;
  std::size_t commands = 0;
  std::size_t errors = 0;
  std::size_t warnings = 0;
};

/// Tells whether a source file as the script writes it exists (as a file).
using SourceExists = std::function<bool(const std::string& path)>;

/// Lints the bytes of an "ins.cfg" (in the ANSI code page). It reports each line's meaning (a
/// command and what it does, a note, an empty line) and finds:
/// - errors about the whole file: a UTF-8 byte order mark, more than kMaxScriptLines lines;
/// - for a script saved as UTF-8 with characters beyond ASCII: a warning on each such line (it
///   reads as other characters in the code page), and an error naming the field that holds a
///   character the code page lacks (it cannot be saved as ANSI);
/// - otherwise an error naming the field that holds bytes that are no character of the code
///   page (the installation stops there with error 52);
/// - errors: an indented command word (the line is then a note and never runs), missing
///   fields, a quote that does not close, a source file that does not exist, a game path that
///   leaves the game folder or is empty, an entry name the game will not load (more than 23
///   characters, or no dot);
/// - warnings: a word that looks like a misspelt command, a command word run on into the
///   operands ("ADDIMG" is "ADD" of "IMG..."), text after a closing quote, a quote inside an
///   unquoted field, fields beyond those the command reads, lines ended by a lone LF (readers
///   that take only CR as a line end see one long line).
LintReport lintScript(const std::string& bytes, const SourceExists& sourceExists);

/// Lints "ins.cfg" in the folder `modDir` (sources relative to that folder), then "text.cfg" and
/// "image.jpg" (lintTextCfg, lintBanner). A missing file is one error.
LintReport lintModFolder(FileSystem& fs, const std::string& modDir);

/// Lints the bytes of a "text.cfg": groups of five lines, the last group cut short by the file's
/// end (also by an empty line after the fifth) being an error that names its line; a file saved
/// as UTF-8 with characters beyond ASCII warns on each such line, and on characters the code
/// page lacks.
void lintTextCfg(const std::string& bytes, LintReport& report);

/// Lints the bytes of an "image.jpg": a picture the wizard's loaders can decode (bannerProblem).
void lintBanner(const std::string& bytes, LintReport& report);

/// Adds a finding of `level` at `line` of `file` to `report`, counting it.
void addFinding(LintReport& report, std::size_t line, LintLevel level, const std::string& text,
                const std::string& file = "ins.cfg", const std::string& group = {},
                const std::string& hint = {});

/// Prints the report as "FILE:LINE: level: text" lines (a group of warnings on several lines as
/// one line with their count and lines) and a closing summary.
void printLint(const LintReport& report, TextWriter& out);

}  // namespace tamberlin
