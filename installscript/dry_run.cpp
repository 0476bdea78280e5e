#include "installscript/dry_run.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "imgarchive/add_plan.h"
#include "imgarchive/entry_index.h"
#include "imgarchive/img_archive.h"
#include "installscript/containment.h"
#include "installscript/file_commands.h"
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
  bool checkGame(const std::string& field, const char* role);
  bool fileExists(const std::string& path);
  bool dirExists(const std::string& path);
  std::string key(const std::string& path);

  void does(const std::string& text) { out_ << "    " << text << "\n"; }
  void problem(const std::string& text) {
    out_ << "    error: " << text << "\n";
    ++summary_.problems;
  }

  ReadOnlyFileSystem ro_;
  std::string saPath_;
  TextWriter& out_;
  DryRunSummary summary_;
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

bool Planner::checkGame(const std::string& field, const char* role) {
  std::string refusal = gamePathRefusal(field);
  if (refusal.empty()) return true;
  problem(std::string(role) + " " + refusal);
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

void Planner::planLine(std::size_t i, std::size_t total, const std::string& text) {
  const script::Line line = script::parseLine(text, i + 1);
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
  problem(describe(c) + " (error 62)");
}

void Planner::plan(const script::RepInImg& c) {
  const std::string& entry = c.entry.text;
  const std::string& file = c.file.text;
  bool ok = checkGame(c.archive.text, "the archive");
  if (!fileExists(file)) {
    problem("the replacement file \"" + file + "\" does not exist (error 53)");
    ok = false;
  }
  if (!ok) return;
  std::string path = gamePath(saPath_, c.archive.text);
  if (!archives_.count(key(path)) && !fileExists(path))
    return problem("the archive " + displayPath(path) + " does not exist (error 53)");
  PlannedArchive& a = archive(path);
  std::int32_t slot = a.index.find(entry);
  if (slot == 0) return problem(missingEntryText(a.index, entry, displayPath(path)));
  does("replace entry " + std::to_string(slot) + " \"" + entry + "\" of " + displayPath(path) +
       " with " + file);
}

void Planner::plan(const script::AddInImg& c) {
  const std::string& file = c.file.text;
  bool ok = checkGame(c.archive.text, "the archive");
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
  if (field.empty()) return problem("DELETE with an empty field names the game folder itself");
  if (!checkGame(field, "the file")) return;
  std::string pattern = gamePath(saPath_, field);
  std::vector<std::string> gone;
  try {
    for (const std::string& p : filesMatching(ro_, pattern)) {
      if (!deletedFiles_.count(key(p))) gone.push_back(p);
    }
  } catch (const RuntimeError& e) {
    return problem(e.text());
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
  bool ok = checkGame(c.dest.text, "the destination");
  if (!fileExists(source)) {
    problem("the source \"" + source + "\" does not exist (error 53)");
    ok = false;
  }
  if (!ok) return;
  std::string dest = gamePath(saPath_, c.dest.text);
  if (!dirExists(parentPath(dest)))
    return problem("the destination's folder " + displayPath(parentPath(dest)) +
                   " does not exist (error 76)");
  if (dirExists(dest))
    return problem("the destination " + displayPath(dest) + " is a folder (error 75)");
  bool replaces = fileExists(dest);
  madeFiles_[key(dest)] = dest;
  deletedFiles_.erase(key(dest));
  does("copy " + source + " to " + displayPath(dest) +
       (replaces ? " (replacing the file there)" : " (new file)"));
}

void Planner::plan(const script::MakeDir& c) {
  const std::string& field = c.folder.text;
  if (field.empty()) return problem("MAKEDIR with an empty field names the game folder itself");
  if (!checkGame(field, "the folder")) return;
  std::string dir = gamePath(saPath_, field);
  if (dirExists(dir))
    return does("make folder " + displayPath(dir) + ": already there, nothing to do");
  if (fileExists(dir)) return problem(displayPath(dir) + " is a file, not a folder (error 75)");
  if (!dirExists(parentPath(dir)))
    return problem("the parent of " + displayPath(dir) +
                   " does not exist (error 76): make it first");
  madeDirs_.insert(key(dir));
  does("make folder " + displayPath(dir));
}

}  // namespace

DryRunSummary dryRunInstall(FileSystem& fs, const std::string& saPath, TextWriter& out) {
  Planner planner(fs, saPath, out);
  DryRunSummary s = planner.run();
  out << "Dry run: " << s.lines << " lines, " << s.commands << " commands, " << s.problems
      << (s.problems == 1 ? " problem" : " problems") << "; nothing was changed\n";
  return s;
}

}  // namespace tamberlin
