// The mod's other two files, as the wizard loads them at start-up: its texts and its banner.
#include "installscript/banner_check.h"
#include "installscript/lint.h"
#include "platform/text_file.h"

namespace tamberlin {

void lintTextCfg(const std::string& bytes, LintReport& r) {
  const std::vector<std::string> lines = splitLines(bytes);
  if (lines.empty()) {
    addFinding(r, 0, LintLevel::Warning,
               "the file is empty: the wizard shows no title, description or caption", "text.cfg");
    return;
  }
  // Read in groups of five, the end tested only before a group: a group cut short ends the
  // wizard with "Error with text.cfg load process. Ending...".
  const std::size_t whole = lines.size() / 5 * 5;
  if (whole == lines.size()) return;
  const std::size_t first = whole + 1;  // 1-based: the short group's first line
  std::string text = "the file has " + std::to_string(lines.size()) +
                     " lines; the wizard reads them in groups of five, and the group from line " +
                     std::to_string(first) + " is cut short, so the wizard ends at start-up with " +
                     "\"Error with text.cfg load process. Ending...\"";
  bool emptyAfterFifth = true;
  for (std::size_t i = whole; i < lines.size(); ++i) emptyAfterFifth &= lines[i].empty();
  if (emptyAfterFifth && whole > 0)
    text +=
        " (an empty line after the fifth cuts a group short: remove the line ends after "
        "line " +
        std::to_string(whole) + ")";
  addFinding(r, first, LintLevel::Error, text, "text.cfg");
}

void lintBanner(const std::string& bytes, LintReport& r) {
  const std::string problem = bannerProblem(bytes);
  if (problem.empty()) return;
  addFinding(r, 0, LintLevel::Error,
             problem +
                 ", so the wizard ends at start-up with \"Error with image.jpg load process. "
                 "Ending...\"",
             "image.jpg");
}

void addFinding(LintReport& r, std::size_t line, LintLevel level, const std::string& text,
                const std::string& file, const std::string& group, const std::string& hint) {
  r.messages.push_back({line, level, text, file, group, hint});
  if (level == LintLevel::Error) ++r.errors;
  if (level == LintLevel::Warning) ++r.warnings;
}

}  // namespace tamberlin
