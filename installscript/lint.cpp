#include "installscript/lint.h"

#include "imgarchive/img_archive.h"

#include <algorithm>

#include "imgarchive/add_plan.h"
#include "installscript/containment.h"
#include "installscript/script.h"
#include "installscript/script_file.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "platform/text_writer.h"
#include "platform/win_path.h"

namespace tamberlin {

namespace {

struct RawLine {
  std::string text;  ///< decoded to UTF-8
  bool loneLf = false;
};

/// Lines as the script reader splits them, remembering which ended at a lone LF.
std::vector<RawLine> splitRaw(const std::string& bytes) {
  std::vector<RawLine> lines;
  std::string cur;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c != '\r' && c != '\n') {
      cur += c;
      continue;
    }
    lines.push_back({ansiToUtf8(cur), c == '\n'});
    cur.clear();
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (!cur.empty()) lines.push_back({ansiToUtf8(cur), false});
  return lines;
}

std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diag = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diag = up;
    }
  }
  return row[b.size()];
}

std::string upperAscii(std::string s) {
  for (char& c : s) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return s;
}

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// The command word a non-command line's first word resembles; empty when none.
std::string resembledWord(const std::string& line) {
  std::size_t n = 0;
  while (n < line.size() && isLetter(line[n])) ++n;
  if (n < 3) return {};
  std::string word = upperAscii(line.substr(0, n));
  for (std::size_t k = 0; k < kCommandWordCount; ++k) {
    std::string cmd = commandWords()[k].word;
    std::size_t limit = cmd.size() <= 4 ? 1 : 2;
    if (editDistance(word, cmd) <= limit) return cmd;
  }
  return {};
}

class Linter {
 public:
  Linter(LintReport& report, const SourceExists& exists) : r_(report), exists_(exists) {}

  void line(std::size_t n, const RawLine& raw);

 private:
  void add(LintLevel level, const std::string& text) {
    r_.messages.push_back({n_, level, text});
    if (level == LintLevel::Error) ++r_.errors;
    if (level == LintLevel::Warning) ++r_.warnings;
  }
  // What a line means, then what is wrong with it.
  void check(const script::Line& l, const script::RepInImg& c);
  void check(const script::Line& l, const script::AddInImg& c);
  void check(const script::Line& l, const script::Delete& c);
  void check(const script::Line& l, const script::Add& c);
  void check(const script::Line& l, const script::MakeDir& c);
  void check(const script::Line& l, const script::TooFewFields& c);
  void check(const script::Line& l, const script::EmptyLine& c);
  void check(const script::Line& l, const script::Note& c);
  void runOn(ScriptCommand c, const std::string& operand);
  void checkFields(const std::vector<const Field*>& fields, bool extra);
  void source(const std::string& path, const char* role);
  void gamePathField(const std::string& field, const char* role);
  void entryName(const std::string& name, const char* role);

  LintReport& r_;
  const SourceExists& exists_;
  std::size_t n_ = 0;
};

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

void Linter::line(std::size_t n, const RawLine& raw) {
  n_ = n;
  const script::Line l = script::parseLine(raw.text, n);
  if (script::commandOf(l.command) != ScriptCommand::None) ++r_.commands;
  std::visit([this, &l](const auto& c) { check(l, c); }, l.command);
  if (raw.loneLf)
    add(LintLevel::Warning,
        "the line ends in a lone LF; save the script with CR LF line ends "
        "(readers that end lines at CR only see one long line)");
}

void Linter::check(const script::Line&, const script::EmptyLine&) {
  add(LintLevel::Meaning, "empty line");
}

void Linter::check(const script::Line&, const script::Note& c) {
  const std::string& text = c.text;
  std::size_t lead = text.find_first_not_of(" \t");
  if (lead != 0 && lead != std::string::npos) {
    RecognisedLine inner = recogniseLine(text.substr(lead));
    if (inner.command != ScriptCommand::None) {
      add(LintLevel::Meaning, "note");
      return add(LintLevel::Error, std::string("indented ") + commandName(inner.command) +
                                       ": a blank before the command word makes the line a note, "
                                       "so it never runs");
    }
  }
  add(LintLevel::Meaning, "note");
  std::string near = resembledWord(text);
  if (!near.empty())
    add(LintLevel::Warning, "this looks like a misspelt " + near + "; as written it is a note");
}

void Linter::check(const script::Line& l, const script::TooFewFields& c) {
  const std::string word = commandName(c.command);
  add(LintLevel::Meaning, word);
  runOn(c.command, l.operand);
  for (const Field& x : c.fields)
    if (x.unclosed)
      add(LintLevel::Error, "a double quote does not close: it takes in the commas after it");
  add(LintLevel::Error, word + " needs " + std::to_string(c.needs) +
                            " comma-separated fields, the line has " +
                            std::to_string(c.fields.size()));
}

void Linter::check(const script::Line& l, const script::RepInImg& c) {
  add(LintLevel::Meaning, "REPINIMG: replace entry " + quoted(c.entry.text) + " of the game's " +
                              quoted(c.archive.text) + " with " + quoted(c.file.text));
  runOn(c.kCommand, l.operand);
  checkFields({&c.archive, &c.entry, &c.file}, l.extraFields);
  gamePathField(c.archive.text, "the archive");
  entryName(c.entry.text, "the entry name");
  source(c.file.text, "the replacement file");
}

void Linter::check(const script::Line& l, const script::AddInImg& c) {
  const std::string entry = addedEntryName(c.file.text);
  add(LintLevel::Meaning, "ADDINIMG: add " + quoted(c.file.text) + " to the game's " +
                              quoted(c.archive.text) + " as entry " + quoted(entry));
  runOn(c.kCommand, l.operand);
  checkFields({&c.archive, &c.file}, l.extraFields);
  gamePathField(c.archive.text, "the archive");
  source(c.file.text, "the file to add");
  entryName(entry, "the new entry's name");
}

void Linter::check(const script::Line& l, const script::Delete& c) {
  add(LintLevel::Meaning, "DELETE: delete the game's files " + quoted(c.pattern.text));
  runOn(c.kCommand, l.operand);
  checkFields({&c.pattern}, l.extraFields);
  gamePathField(c.pattern.text, "the file to delete");
}

void Linter::check(const script::Line& l, const script::Add& c) {
  add(LintLevel::Meaning,
      "ADD: copy " + quoted(c.source.text) + " to the game's " + quoted(c.dest.text));
  runOn(c.kCommand, l.operand);
  checkFields({&c.source, &c.dest}, l.extraFields);
  source(c.source.text, "the source");
  gamePathField(c.dest.text, "the destination");
}

void Linter::check(const script::Line& l, const script::MakeDir& c) {
  add(LintLevel::Meaning, "MAKEDIR: make the game's folder " + quoted(c.folder.text));
  runOn(c.kCommand, l.operand);
  checkFields({&c.folder}, l.extraFields);
  gamePathField(c.folder.text, "the folder");
}

/// A command word followed at once by a letter or digit: "ADDIMG" is ADD of "IMG...".
void Linter::runOn(ScriptCommand c, const std::string& operand) {
  if (operand.empty() || !(isLetter(operand[0]) || (operand[0] >= '0' && operand[0] <= '9')))
    return;
  const std::string word = commandName(c);
  add(LintLevel::Warning, "\"" + word + "\" runs on into \"" + operand.substr(0, 12) +
                              "\": the line is " + word + " with the operands \"" + operand + "\"");
}

void Linter::checkFields(const std::vector<const Field*>& fields, bool extra) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string which = "field " + std::to_string(i + 1);
    if (fields[i]->unclosed) add(LintLevel::Error, which + ": the double quote does not close");
    if (fields[i]->junkAfterQuote)
      add(LintLevel::Warning, which + ": text after the closing quote is ignored");
    if (fields[i]->innerQuote)
      add(LintLevel::Warning, which +
                                  ": a double quote inside an unquoted field is kept as a "
                                  "character; quote the whole field instead");
  }
  if (extra)
    add(LintLevel::Warning, "fields after the " + std::to_string(fields.size()) +
                                (fields.size() == 1   ? "st"
                                 : fields.size() == 2 ? "nd"
                                                      : "rd") +
                                " are ignored");
}

void Linter::source(const std::string& path, const char* role) {
  if (path.empty()) return add(LintLevel::Error, std::string(role) + " is empty");
  if (!exists_(path))
    add(LintLevel::Error,
        std::string(role) + " \"" + path + "\" does not exist in the mod's folder");
}

void Linter::gamePathField(const std::string& field, const char* role) {
  if (field.empty())
    return add(LintLevel::Error, std::string(role) + " is empty: it names the game folder itself");
  std::string why = gamePathProblem(field);
  if (!why.empty())
    add(LintLevel::Error,
        std::string(role) + " \"" + field + "\" leaves the game folder (" + why + ")");
}

void Linter::entryName(const std::string& name, const char* role) {
  const std::string stored = utf8ToAnsi(name);
  if (stored.size() > 23)
    add(LintLevel::Error, std::string(role) + " \"" + name + "\" has " +
                              std::to_string(stored.size()) +
                              " characters; the game reads at most 23");
  if (name.find('.') == std::string::npos)
    add(LintLevel::Error, std::string(role) + " \"" + name +
                              "\" has no dot; the game loads entries by their extension");
}

}  // namespace

namespace {

/// Findings about the file as a whole, reported before its lines.
void wholeFile(const std::string& bytes, std::size_t lines, LintReport& r) {
  auto error = [&r](const std::string& text) {
    r.messages.push_back({0, LintLevel::Error, text});
    ++r.errors;
  };
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    error(
        "the file begins with a UTF-8 byte order mark, which becomes part of the first line "
        "(so a command there never runs); save it as ANSI (Windows-1252)");
  if (lines > kMaxScriptLines)
    error("the script has " + std::to_string(lines) + " lines; more than " +
          std::to_string(kMaxScriptLines) + " stop the installation before any line runs");
}

}  // namespace

LintReport lintScript(const std::string& bytes, const SourceExists& sourceExists) {
  LintReport report;
  std::vector<RawLine> lines = splitRaw(bytes);
  report.lines = lines.size();
  wholeFile(bytes, lines.size(), report);
  Linter linter(report, sourceExists);
  for (std::size_t i = 0; i < lines.size(); ++i) linter.line(i + 1, lines[i]);
  return report;
}

LintReport lintModFolder(FileSystem& fs, const std::string& modDir) {
  std::string bytes;
  try {
    bytes = readWholeFile(fs, joinPath(modDir, "ins.cfg"));
  } catch (const RuntimeError& e) {
    LintReport r;
    r.messages.push_back({0, LintLevel::Error, "cannot read ins.cfg: " + e.text()});
    r.errors = 1;
    return r;
  }
  return lintScript(bytes, [&fs, &modDir](const std::string& p) {
    FileInfo info = fs.stat(isAbsoluteProgramPath(p) ? p : modDir + "\\" + p);
    return info.exists && !info.isDir;
  });
}

void printLint(const LintReport& report, TextWriter& out) {
  for (const LintMessage& m : report.messages) {
    out << "ins.cfg";
    if (m.line > 0) out << ":" << m.line;
    out << ": ";
    if (m.level == LintLevel::Error) out << "error: ";
    if (m.level == LintLevel::Warning) out << "warning: ";
    out << m.text << "\n";
  }
  out << "ins.cfg: " << report.lines << " lines, " << report.commands << " commands, "
      << report.errors << (report.errors == 1 ? " error, " : " errors, ") << report.warnings
      << (report.warnings == 1 ? " warning" : " warnings") << "\n";
}

}  // namespace tamberlin
