#include "installscript/dry_run.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "imgarchive/add_plan.h"
#include "imgarchive/entry_index.h"
#include "imgarchive/img_archive.h"
#include "installscript/containment.h"
#include "installscript/file_commands.h"
#include "installscript/line_error.h"
#include "installscript/read_only_file_system.h"
#include "installscript/script.h"
#include "installscript/script_file.h"
#include "platform/ansi.h"
#include "platform/runtime_error.h"
#include "platform/text_writer.h"
#include "platform/wildcard.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

/// The state of an archive as the lines so far would leave it.
struct PlannedArchive {
  bool exists = false;
  EntryIndex index;
  std::int32_t slots = 0;  ///< entries, added ones included
};

class Planner {
 public:
  Planner(FileSystem& fs, std::string saPath, TextWriter& out)
      : ro_(fs), saPath_(std::move(saPath)), out_(out) {}

  DryRunSummary run();
  /// Plans `lines` as the script; the first error the installation would stop with, if any.
  std::optional<RuntimeError> check(const std::vector<std::string>& lines);

 private:
  void planLine(std::size_t i, std::size_t total, const std::string& line);
  void plan(const script::RepInImg& c);
  void plan(const script::AddInImg& c);
  void plan(const script::Delete& c);
  void plan(const script::Add& c);
  void plan(const script::MakeDir& c);
  void plan(const script::TooFewFields& c);
  void plan(const script::EmptyLine&) {}
  void plan(const script::Note&) {}

  PlannedArchive& archive(const std::string& path);
  bool checkGame(const std::string& field, const char* role, const char* fieldName);
  bool fileExists(const std::string& path);
  bool dirExists(const std::string& path);
  std::string key(const std::string& path);

  void does(const std::string& text) { out_ << "    " << text << "\n"; }
  void problem(const std::string& text) {
    out_ << "    error: " << text << "\n";
    ++summary_.problems;
  }
  /// The installation would stop at this line with `e` (unless an earlier line stops it).
  void stops(const RuntimeError& e) {
    if (!stop_) stop_ = atScriptLine(index_, command_, e);
  }
  /// A problem that stops the installation with `e`.
  void fail(const std::string& text, const RuntimeError& e) {
    problem(text);
    stops(e);
  }

  ReadOnlyFileSystem ro_;
  std::string saPath_;
  TextWriter& out_;
  DryRunSummary summary_;
  std::size_t index_ = 0;  ///< the line being planned, 0-based
  ScriptCommand command_ = ScriptCommand::None;
  std::optional<RuntimeError> stop_;
  std::map<std::string, PlannedArchive> archives_;
  std::set<std::string> madeDirs_, deletedFiles_;  ///< by key()
  std::map<std::string, std::string> madeFiles_;   ///< key() -> the path as the script made it
};

std::string Planner::key(const std::string& path) {
  std::string native;
  try {
    native = ro_.nativePath(path);
  } catch (const RuntimeError&) {
    native = path;
  }
  for (char& c : native) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return native;
}

bool Planner::fileExists(const std::string& path) {
  std::string k = key(path);
  if (deletedFiles_.count(k)) return false;
  if (madeFiles_.count(k)) return true;
  FileInfo info = ro_.stat(path);
  return info.exists && !info.isDir;
}

bool Planner::dirExists(const std::string& path) {
  if (path.empty()) return true;
  return madeDirs_.count(key(path)) || ro_.stat(path).isDir;
}

bool Planner::checkGame(const std::string& field, const char* role, const char* fieldName) {
  std::string refusal = gamePathRefusal(field);
  if (refusal.empty()) return true;
  fail(std::string(role) + " " + refusal,
       RuntimeError(err::kPathFileAccess,
                    scriptLineName(index_) + ", " + fieldName + ": " + refusal));
  return false;
}

PlannedArchive& Planner::archive(const std::string& path) {
  std::string k = key(path);
  auto it = archives_.find(k);
  if (it != archives_.end()) return it->second;
  PlannedArchive& a = archives_[k];
  if (!ro_.stat(path).exists) {
    does("(the archive " + displayPath(path) + " is not there: it would be made, empty)");
    return a;
  }
  a.exists = true;
  ImgArchive engine(ro_);
  try {
    engine.read(path);
  } catch (const RuntimeError& e) {
    problem("reading " + displayPath(path) + ": error " + std::to_string(e.number()) + ": " +
            e.text());
  }
  a.index = EntryIndex(engine.table());
  a.slots = engine.count();
  return a;
}

DryRunSummary Planner::run() {
  out_ << "Dry run: installing into " << displayPath(saPath_) << " (nothing is changed)\n";
  archive(saPath_ + "\\models\\gta3.img");
  std::vector<std::string> lines;
  try {
    lines = scriptLines(readScriptBytes(ro_));
    if (lines.size() > kMaxScriptLines) throw tooManyLines();
  } catch (const RuntimeError& e) {
    problem("reading the script: error " + std::to_string(e.number()) + ": " + e.text());
    return summary_;
  }
  const std::size_t total = lines.size();
  summary_.lines = total;
  for (std::size_t i = 0; i < total; ++i) planLine(i, total, lines[i]);
  return summary_;
}

std::optional<RuntimeError> Planner::check(const std::vector<std::string>& lines) {
  archive(saPath_ + "\\models\\gta3.img");
  for (std::size_t i = 0; i < lines.size() && !stop_; ++i) {
    try {
      planLine(i, lines.size(), lines[i]);
    } catch (const RuntimeError&) {
      // The folder could not be looked at; what follows is for the line itself to meet.
      break;
    }
  }
  return stop_;
}

void Planner::planLine(std::size_t i, std::size_t total, const std::string& text) {
  const script::Line line = script::parseLine(text, i + 1);
  index_ = i;
  command_ = script::commandOf(line.command);
  std::string tag = "[" + std::to_string(i + 1) + "/" + std::to_string(total) + "] ";
  if (script::commandOf(line.command) == ScriptCommand::None) {
    out_ << tag << (text.empty() ? "(empty line)" : "(not a command) " + text) << "\n";
    return;
  }
  ++summary_.commands;
  out_ << tag << text << "\n";
  // The executor writes the operands to the scratch file in the code page first.
  const AnsiEncoding scratch = encodeAnsi(line.operand);
  if (!scratch.ok())
    return problem(unencodableText("the operands", scratch.missing) + " (error 52)");
  std::visit([this](const auto& c) { plan(c); }, line.command);
}

void Planner::plan(const script::TooFewFields& c) {
  fail(describe(c) + " (error 62)", tooFewFieldsError(index_, c));
}

void Planner::plan(const script::RepInImg& c) {
  const std::string& entry = c.entry.text;
  const std::string& file = c.file.text;
  const bool contained = checkGame(c.archive.text, "the archive", "REPINIMG archive");
  const bool fileThere = fileExists(file);
  if (!fileThere) problem("the replacement file \"" + file + "\" does not exist (error 53)");
  if (!contained) return;
  // The installation looks for the archive and the entry before the file.
  std::string path = gamePath(saPath_, c.archive.text);
  const bool archiveThere = archives_.count(key(path)) || fileExists(path);
  if (!fileThere) {
    if (!archiveThere) return stops(missingArchiveError(path, entry));
    if (archive(path).index.find(entry) == 0)
      return stops(RuntimeError(err::kFileNotFound,
                                missingEntryText(archive(path).index, entry, displayPath(path))));
    return stops(missingReplacementError(file, entry));
  }
  if (!archiveThere)
    return fail("the archive " + displayPath(path) + " does not exist (error 53)",
                missingArchiveError(path, entry));
  PlannedArchive& a = archive(path);
  std::int32_t slot = a.index.find(entry);
  if (slot == 0) {
    const std::string missing = missingEntryText(a.index, entry, displayPath(path));
    return fail(missing, RuntimeError(err::kFileNotFound, missing));
  }
  does("replace entry " + std::to_string(slot) + " \"" + entry + "\" of " + displayPath(path) +
       " with " + file);
}

void Planner::plan(const script::AddInImg& c) {
  const std::string& file = c.file.text;
  // A file that is not there is the engine's Yes/No box at its time, not a stop.
  bool ok = checkGame(c.archive.text, "the archive", "ADDINIMG archive");
  if (!fileExists(file)) {
    problem("the file to add \"" + file + "\" does not exist (error 53)");
    ok = false;
  }
  if (!ok) return;
  std::string path = gamePath(saPath_, c.archive.text);
  PlannedArchive& a = archive(path);
  // Named as the engine names it, so that a later replace line finds what the engine would.
  const std::string name = addedEntryName(file);
  const AnsiEncoding encoded = encodeAnsi(name);
  if (!encoded.ok())
    return problem(unencodableText("the entry name \"" + name + "\"", encoded.missing) +
                   " (error 52)");
  IMGEntry e;
  e.fileName = addedNameField(encoded.bytes, a.slots > 0);
  a.index.add(++a.slots, e);
  does("show the box \"" + file + "\", then add it to " + displayPath(path) + " as entry " +
       std::to_string(a.slots) + " \"" + name + "\"");
}

void Planner::plan(const script::Delete& c) {
  const std::string& field = c.pattern.text;
  if (field.empty())
    return fail("DELETE with an empty field names the game folder itself",
                emptyFieldError(index_, command_));
  if (!checkGame(field, "the file", "DELETE file")) return;
  std::string pattern = gamePath(saPath_, field);
  if (!hasWildcard(baseName(pattern)) && madeDirs_.count(key(pattern))) {
    const RuntimeError e = deleteNamesFolder(pattern);
    return fail(e.text(), e);
  }
  std::vector<std::string> gone;
  try {
    for (const std::string& p : filesMatching(ro_, pattern)) {
      if (!deletedFiles_.count(key(p))) gone.push_back(p);
    }
  } catch (const RuntimeError& e) {
    return fail(e.text(), e);
  }
  std::string dirKey = key(parentPath(pattern));
  for (const auto& [made, path] : madeFiles_) {
    if (key(parentPath(path)) == dirKey && matchesPattern(baseName(path), baseName(pattern)))
      gone.push_back(path);
  }
  if (gone.empty())
    return does("delete " + displayPath(pattern) + ": matches nothing, nothing to do");
  for (const std::string& p : gone) {
    deletedFiles_.insert(key(p));
    madeFiles_.erase(key(p));
    does("delete " + displayPath(p));
  }
}

void Planner::plan(const script::Add& c) {
  const std::string& source = c.source.text;
  const bool contained = checkGame(c.dest.text, "the destination", "ADD destination");
  const bool sourceThere = fileExists(source);
  if (!sourceThere) problem("the source \"" + source + "\" does not exist (error 53)");
  if (!contained) return;
  // The installation checks the destination before it opens the source.
  std::string dest = gamePath(saPath_, c.dest.text);
  if (!sourceThere) {
    if (!dirExists(parentPath(dest))) return stops(destinationFolderMissing(dest));
    if (dirExists(dest)) return stops(destinationIsFolder(dest));
    return stops(RuntimeError(err::kFileNotFound, displayPath(source)));
  }
  if (!dirExists(parentPath(dest)))
    return fail(
        "the destination's folder " + displayPath(parentPath(dest)) + " does not exist (error 76)",
        destinationFolderMissing(dest));
  if (dirExists(dest))
    return fail("the destination " + displayPath(dest) + " is a folder (error 75)",
                destinationIsFolder(dest));
  bool replaces = fileExists(dest);
  madeFiles_[key(dest)] = dest;
  deletedFiles_.erase(key(dest));
  does("copy " + source + " to " + displayPath(dest) +
       (replaces ? " (replacing the file there)" : " (new file)"));
}

void Planner::plan(const script::MakeDir& c) {
  const std::string& field = c.folder.text;
  if (field.empty())
    return fail("MAKEDIR with an empty field names the game folder itself",
                emptyFieldError(index_, command_));
  if (!checkGame(field, "the folder", "MAKEDIR folder")) return;
  std::string dir = gamePath(saPath_, field);
  if (dirExists(dir))
    return does("make folder " + displayPath(dir) + ": already there, nothing to do");
  if (fileExists(dir))
    return fail(displayPath(dir) + " is a file, not a folder (error 75)", folderIsFile(dir));
  if (!dirExists(parentPath(dir)))
    return fail("the parent of " + displayPath(dir) + " does not exist (error 76): make it first",
                parentFolderMissing(dir));
  madeDirs_.insert(key(dir));
  does("make folder " + displayPath(dir));
}

}  // namespace

std::optional<RuntimeError> checkInstallation(FileSystem& fs, const std::string& saPath,
                                              const std::vector<std::string>& lines) {
  std::string discarded;
  TextWriter out(discarded);
  return Planner(fs, saPath, out).check(lines);
}

DryRunSummary dryRunInstall(FileSystem& fs, const std::string& saPath, TextWriter& out) {
  Planner planner(fs, saPath, out);
  DryRunSummary s = planner.run();
  out << "Dry run: " << s.lines << " lines, " << s.commands << " commands, " << s.problems
      << (s.problems == 1 ? " problem" : " problems") << "; nothing was changed\n";
  return s;
}

}  // namespace tamberlin
