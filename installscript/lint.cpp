#include "installscript/lint.h"

#include "imgarchive/img_archive.h"

#include <algorithm>
#include <map>

#include "imgarchive/add_plan.h"
#include "installscript/containment.h"
#include "installscript/lint_code_page.h"
#include "installscript/script.h"
#include "installscript/script_file.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "platform/text_writer.h"
#include "platform/utf8.h"
#include "platform/win_path.h"

namespace tamberlin {

namespace {

struct RawLine {
  std::string bytes;  ///< as in the file
  std::string text;   ///< decoded from the code page to UTF-8
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
    lines.push_back({cur, ansiToUtf8(cur), c == '\n'});
    cur.clear();
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (!cur.empty()) lines.push_back({cur, ansiToUtf8(cur), false});
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
  /// `utf8File`: the script was saved as UTF-8 with characters beyond ASCII (savedAsUtf8).
  Linter(LintReport& report, const SourceExists& exists, bool utf8File)
      : r_(report), exists_(exists), utf8File_(utf8File) {}

  void line(std::size_t n, const RawLine& raw);

 private:
  void add(LintLevel level, const std::string& text) { addFinding(r_, n_, level, text); }
  /// A warning of a kind that may come on many lines: said once per file with its lines.
  void warn(const std::string& text, const std::string& group, const std::string& hint = {}) {
    addFinding(r_, n_, LintLevel::Warning, text, "ins.cfg", group, hint);
  }
  bool prose(const Field& f, const char* word);
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
  void codePageFields(const RawLine& raw, const script::Line& l);
  void unheldFields(const script::Line& l, const std::string& consequence);

  LintReport& r_;
  const SourceExists& exists_;
  bool utf8File_;
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
    warn(
        "the line ends in a lone LF; save the script with CR LF line ends "
        "(readers that end lines at CR only see one long line)",
        "end with LF alone",
        "save the script with CR LF line ends (readers that end lines at CR only see one long "
        "line)");
  codePageFields(raw, l);
}

/// The fields a command reads, in order; none for an empty line or a note.
std::vector<const Field*> fieldList(const script::Command& command) {
  using namespace script;
  return std::visit(Overloaded{
                        [](const RepInImg& c) {
                          return std::vector<const Field*>{&c.archive, &c.entry, &c.file};
                        },
                        [](const AddInImg& c) {
                          return std::vector<const Field*>{&c.archive, &c.file};
                        },
                        [](const Delete& c) { return std::vector<const Field*>{&c.pattern}; },
                        [](const Add& c) {
                          return std::vector<const Field*>{&c.source, &c.dest};
                        },
                        [](const MakeDir& c) { return std::vector<const Field*>{&c.folder}; },
                        [](const TooFewFields& c) {
                          std::vector<const Field*> out;
                          for (const Field& f : c.fields) out.push_back(&f);
                          return out;
                        },
                        [](const auto&) { return std::vector<const Field*>{}; },
                    },
                    command);
}

/// Read in the code page, a field holds only what it can write back, except bytes that are no
/// character of it. Saved as UTF-8, the line reads as other characters, and a character the code
/// page lacks cannot be saved as ANSI either.
void Linter::codePageFields(const RawLine& raw, const script::Line& l) {
  if (!utf8File_) return unheldFields(l, "; the installation stops at this line (error 52)");
  if (isAscii(raw.bytes)) return;
  const std::string cp = codePageText();
  warn("the line is UTF-8: " + misreadWord(raw.bytes) + " in " + cp,
       "are UTF-8, which " + cp + " reads as other characters", "save the script as ANSI, " + cp);
  const bool marked = n_ == 1 && raw.bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  unheldFields(script::parseLine(marked ? raw.bytes.substr(3) : raw.bytes, n_),
               "; saving the script as ANSI would lose it");
}

void Linter::unheldFields(const script::Line& l, const std::string& consequence) {
  const std::vector<const Field*> fields = fieldList(l.command);
  bool found = false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const AnsiEncoding e = encodeAnsi(fields[i]->text);
    if (e.ok()) continue;
    found = true;
    add(LintLevel::Error,
        unencodableText("field " + std::to_string(i + 1) + " " + quoted(fields[i]->text),
                        e.missing) +
            consequence);
  }
  // The executor writes all the operands to its scratch file, the ignored ones too.
  if (found || fields.empty()) return;
  const AnsiEncoding e = encodeAnsi(l.operand);
  if (!e.ok()) add(LintLevel::Error, unencodableText("the operands", e.missing) + consequence);
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
    warn("this looks like a misspelt " + near + "; as written it is a note",
         "look like a misspelt command word", "as written they are notes");
}

void Linter::check(const script::Line& l, const script::TooFewFields& c) {
  const std::string word = commandName(c.command);
  add(LintLevel::Meaning, word);
  runOn(c.command, l.operand);
  for (const Field& x : c.fields)
    if (x.unclosed)
      add(LintLevel::Error, "a double quote does not close: it takes in the commas after it");
  add(LintLevel::Error, describe(c));
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
  prose(c.pattern, "DELETE");
  gamePathField(c.pattern.text, "the file to delete");
}

void Linter::check(const script::Line& l, const script::Add& c) {
  add(LintLevel::Meaning,
      "ADD: copy " + quoted(c.source.text) + " to the game's " + quoted(c.dest.text));
  runOn(c.kCommand, l.operand);
  checkFields({&c.source, &c.dest}, l.extraFields);
  if (!prose(c.source, "ADD")) prose(c.dest, "ADD");
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
  warn("\"" + word + "\" runs on into \"" + operand.substr(0, 12) + "\": the line is " + word +
           " with the operands \"" + operand + "\"",
       "run a command word on into its operands", "the word is read from the line's first letters");
}

void Linter::checkFields(const std::vector<const Field*>& fields, bool extra) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string which = "field " + std::to_string(i + 1);
    if (fields[i]->unclosed) add(LintLevel::Error, which + ": the double quote does not close");
    if (fields[i]->junkAfterQuote)
      warn(which + ": text after the closing quote is ignored",
           "have text after a closing quote, which is ignored");
    if (fields[i]->innerQuote)
      warn(which +
               ": a double quote inside an unquoted field is kept as a character; quote the "
               "whole field instead",
           "have a double quote inside an unquoted field",
           "it is kept as a character; quote the whole field instead");
  }
  if (extra)
    warn("fields after the " + std::to_string(fields.size()) +
             (fields.size() == 1   ? "st"
              : fields.size() == 2 ? "nd"
                                   : "rd") +
             " are ignored",
         "have fields after those the command reads, which are ignored");
}

/// A field of blank-separated words without a path's marks ("the old backups first"): the line
/// is likely a sentence that begins with a command word. Returns true when it said so.
bool Linter::prose(const Field& f, const char* word) {
  const std::string& t = f.text;
  if (f.quoted || t.find(' ') == std::string::npos) return false;
  if (t.find_first_of("\\/.*?:") != std::string::npos) return false;
  std::size_t words = 0;
  for (std::size_t i = 0; i < t.size(); ++i)
    if (t[i] != ' ' && (i == 0 || t[i - 1] == ' ')) ++words;
  if (words < 2) return false;
  warn(std::string("this reads like a sentence: as a command it is ") + word + " of \"" + t +
           "\"; begin a note with \";\"",
       "read like sentences that begin with a command word", "begin a note with \";\"");
  return true;
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
  std::string refusal = gamePathRefusal(field);
  if (!refusal.empty()) add(LintLevel::Error, std::string(role) + " " + refusal);
}

void Linter::entryName(const std::string& name, const char* role) {
  // Counted in the code page's bytes: a double-byte character takes two of the 23.
  const std::string stored = utf8ToAnsi(name);
  const bool wide = stored.size() != utf8ToWide(name).size();
  if (stored.size() > 23)
    add(LintLevel::Error,
        std::string(role) + " \"" + name + "\" has " + std::to_string(stored.size()) +
            (wide ? " bytes in " + codePageText() : " characters") + "; the game reads at most 23");
  if (name.find('.') == std::string::npos)
    add(LintLevel::Error, std::string(role) + " \"" + name +
                              "\" has no dot; the game loads entries by their extension");
}

}  // namespace

namespace {

/// Findings about the file as a whole, reported before its lines.
void wholeFile(const std::string& bytes, std::size_t lines, LintReport& r) {
  auto error = [&r](const std::string& text) { addFinding(r, 0, LintLevel::Error, text); };
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    error(
        "the file begins with a UTF-8 byte order mark, which becomes part of the first line "
        "(so a command there never runs); save it as ANSI, " +
        codePageText());
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
  Linter linter(report, sourceExists, savedAsUtf8(bytes));
  for (std::size_t i = 0; i < lines.size(); ++i) linter.line(i + 1, lines[i]);
  return report;
}

namespace {

/// The bytes of the mod's file `name`, or nothing after an error saying it cannot be read.
bool readModFile(FileSystem& fs, const std::string& modDir, const char* name, std::string& bytes,
                 LintReport& r) {
  try {
    bytes = readWholeFile(fs, joinPath(modDir, name));
    return true;
  } catch (const RuntimeError& e) {
    addFinding(r, 0, LintLevel::Error, std::string("cannot read ") + name + ": " + e.text(), name);
    return false;
  }
}

/// "1-14", "3, 7, 9-12".
std::string lineRanges(const std::vector<std::size_t>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size();) {
    std::size_t j = i;
    while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1) ++j;
    if (!out.empty()) out += ", ";
    out += std::to_string(lines[i]);
    if (j > i) out += "-" + std::to_string(lines[j]);
    i = j + 1;
  }
  return out;
}

void printMessage(const LintMessage& m, TextWriter& out) {
  out << m.file;
  if (m.line > 0) out << ":" << m.line;
  out << ": ";
  if (m.level == LintLevel::Error) out << "error: ";
  if (m.level == LintLevel::Warning) out << "warning: ";
  out << m.text << "\n";
}

}  // namespace

LintReport lintModFolder(FileSystem& fs, const std::string& modDir) {
  LintReport r;
  std::string bytes;
  if (readModFile(fs, modDir, "ins.cfg", bytes, r)) {
    r = lintScript(bytes, [&fs, &modDir](const std::string& p) {
      FileInfo info = fs.stat(isAbsoluteProgramPath(p) ? p : modDir + "\\" + p);
      return info.exists && !info.isDir;
    });
  }
  if (readModFile(fs, modDir, "text.cfg", bytes, r)) lintTextCfg(bytes, r);
  if (readModFile(fs, modDir, "image.jpg", bytes, r)) lintBanner(bytes, r);
  return r;
}

void printLint(const LintReport& report, TextWriter& out) {
  // Warnings of one group on several lines of a file are said once, after the lines.
  std::map<std::pair<std::string, std::string>, std::vector<std::size_t>> groups;
  for (const LintMessage& m : report.messages)
    if (!m.group.empty()) groups[{m.file, m.group}].push_back(m.line);
  for (const LintMessage& m : report.messages)
    if (m.group.empty() || groups[{m.file, m.group}].size() == 1) printMessage(m, out);
  for (const LintMessage& m : report.messages) {
    auto it = groups.find({m.file, m.group});
    if (it == groups.end() || it->second.size() < 2) continue;
    out << m.file << ": warning: " << it->second.size() << " lines " << m.group << ": "
        << lineRanges(it->second) << (m.hint.empty() ? "" : "; " + m.hint) << "\n";
    groups.erase(it);
  }
  out << "ins.cfg: " << report.lines << " lines, " << report.commands << " commands, "
      << report.errors << (report.errors == 1 ? " error, " : " errors, ") << report.warnings
      << (report.warnings == 1 ? " warning" : " warnings") << "\n";
}

}  // namespace tamberlin
