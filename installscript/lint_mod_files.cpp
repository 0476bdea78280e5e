// The mod's other two files, as the wizard loads them at start-up: its texts and its banner.
#include "installscript/banner_check.h"
#include "installscript/lint.h"
#include "installscript/lint_code_page.h"
#include "platform/ansi.h"
#include "platform/text_file.h"
#include "platform/utf8.h"

namespace tamberlin {
namespace {

/// Texts saved as UTF-8 show as other characters; those the code page lacks cannot be saved as
/// ANSI (Notepad writes "?" for them).
void textCfgCodePage(const std::vector<std::string>& lines, LintReport& r) {
  const std::string cp = codePageText();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (isAscii(lines[i])) continue;
    addFinding(r, i + 1, LintLevel::Warning,
               "the line is UTF-8: " + misreadWord(lines[i]) + " in " + cp, "text.cfg",
               "are UTF-8, which " + cp + " shows as other characters",
               "save the file as ANSI, " + cp);
    const AnsiEncoding e = encodeAnsi(lines[i]);
    if (!e.ok())
      addFinding(r, i + 1, LintLevel::Warning,
                 unencodableText("the line", e.missing) + "; saved as ANSI it shows as \"?\"",
                 "text.cfg", "hold characters " + cp + " cannot hold",
                 "saved as ANSI they show as \"?\"");
  }
}

}  // namespace

void lintTextCfg(const std::string& bytes, LintReport& r) {
  const std::vector<std::string> lines = splitLines(bytes);
  if (savedAsUtf8(bytes)) textCfgCodePage(lines, r);
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
