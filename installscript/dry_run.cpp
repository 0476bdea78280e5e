#include "installscript/dry_run.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "imgarchive/entry_index.h"
#include "imgarchive/img_archive.h"
#include "installscript/command_word.h"
#include "installscript/containment.h"
#include "installscript/field_reader.h"
#include "installscript/file_commands.h"
#include "installscript/form1_install.h"
#include "installscript/read_only_file_system.h"
#include "platform/ansi.h"
#include "platform/runtime_error.h"
#include "platform/text_writer.h"
#include "platform/wildcard.h"
#include "platform/win_path.h"
#include "ui/entry_list.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "ui/status_line.h"

namespace tamberlin {
namespace {

/// Engine boxes on a dry run: remembered, answered Yes so the engine returns.
class NotedBoxes : public MessageBoxes {
 public:
  MsgAnswer show(const MessageBoxRequest& box) override {
    texts.push_back(box.text);
    return box.buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }
  std::vector<std::string> texts;
};

class SilentStatus : public StatusLine {
 public:
  void setStatus(const std::string&) override {}
};

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
  void planCommand(ScriptCommand c, const std::vector<std::string>& f);
  void planReplace(const std::vector<std::string>& f);
  void planAdd(const std::vector<std::string>& f);
  void planDelete(const std::string& field);
  void planCopy(const std::vector<std::string>& f);
  void planMakeDir(const std::string& field);

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
  std::string why = gamePathProblem(field);
  if (why.empty()) return true;
  problem(std::string(role) + " \"" + field + "\" would leave the game folder (" + why + ")");
  return false;
}

PlannedArchive& Planner::archive(const std::string& path) {
  std::string k = key(path);
  auto it = archives_.find(k);
  if (it != archives_.end()) return it->second;
  PlannedArchive& a = archives_[k];
  if (!ro_.stat(path).exists) {
    does("(the archive " + path + " is not there: it would be made, empty)");
    return a;
  }
  a.exists = true;
  ImgArchive engine(ro_);
  try {
    engine.read(path);
  } catch (const RuntimeError& e) {
    problem("reading " + path + ": error " + std::to_string(e.number()) + ": " + e.text());
  }
  a.index = EntryIndex(engine.table());
  a.slots = engine.count();
  return a;
}

DryRunSummary Planner::run() {
  out_ << "Dry run: installing into " << saPath_ << " (nothing is changed)\n";
  archive(saPath_ + "\\models\\gta3.img");
  SilentStatus status;
  NotedBoxes boxes;
  InstallWindow window;
  Form1Install reader(ro_, boxes, status, window);
  try {
    reader.ReadINS();
  } catch (const RuntimeError& e) {
    problem("reading the script: error " + std::to_string(e.number()) + ": " + e.text());
    return summary_;
  }
  const auto total = static_cast<std::size_t>(reader.numNumHH);
  summary_.lines = total;
  for (std::size_t i = 0; i < total; ++i) planLine(i, total, reader.insLines[i]);
  return summary_;
}

void Planner::planLine(std::size_t i, std::size_t total, const std::string& line) {
  RecognisedLine r = recogniseLine(line);
  std::string tag = "[" + std::to_string(i + 1) + "/" + std::to_string(total) + "] ";
  if (r.command == ScriptCommand::None) {
    out_ << tag << (line.empty() ? "(empty line)" : "(not a command) " + line) << "\n";
    return;
  }
  ++summary_.commands;
  out_ << tag << line << "\n";
  const AnsiEncoding scratch = encodeAnsi(r.operand);
  if (!scratch.ok())
    return problem(unencodableText("the operands", scratch.missing) + " (error 52)");
  std::vector<std::string> fields;
  try {
    for (Field& f : readFields(r.operand + "\r\n", fieldCount(r.command), "the operands"))
      fields.push_back(std::move(f.text));
  } catch (const RuntimeError&) {
    problem(std::string(commandName(r.command)) + " needs " +
            std::to_string(fieldCount(r.command)) + " comma-separated fields (error 62)");
    return;
  }
  planCommand(r.command, fields);
}

void Planner::planCommand(ScriptCommand c, const std::vector<std::string>& f) {
  switch (c) {
    case ScriptCommand::RepInImg:
      planReplace(f);
      break;
    case ScriptCommand::AddInImg:
      planAdd(f);
      break;
    case ScriptCommand::Delete:
      planDelete(f[0]);
      break;
    case ScriptCommand::Add:
      planCopy(f);
      break;
    case ScriptCommand::MakeDir:
      planMakeDir(f[0]);
      break;
    case ScriptCommand::None:
      break;
  }
}

void Planner::planReplace(const std::vector<std::string>& f) {
  bool ok = checkGame(f[0], "the archive");
  if (!fileExists(f[2])) {
    problem("the replacement file \"" + f[2] + "\" does not exist (error 53)");
    ok = false;
  }
  if (!ok) return;
  std::string path = gamePath(saPath_, f[0]);
  if (!archives_.count(key(path)) && !fileExists(path))
    return problem("the archive " + path + " does not exist (error 53)");
  PlannedArchive& a = archive(path);
  std::int32_t slot = a.index.find(f[1]);
  if (slot == 0) return problem(missingEntryText(a.index, f[1], path));
  does("replace entry " + std::to_string(slot) + " \"" + f[1] + "\" of " + path + " with " + f[2]);
}

void Planner::planAdd(const std::vector<std::string>& f) {
  bool ok = checkGame(f[0], "the archive");
  if (!fileExists(f[1])) {
    problem("the file to add \"" + f[1] + "\" does not exist (error 53)");
    ok = false;
  }
  if (!ok) return;
  std::string path = gamePath(saPath_, f[0]);
  PlannedArchive& a = archive(path);
  const AnsiEncoding encoded = encodeAnsi(baseName(f[1]));
  if (!encoded.ok())
    return problem(unencodableText("the entry name \"" + baseName(f[1]) + "\"", encoded.missing) +
                   " (error 52)");
  IMGEntry e;
  const std::string& name = encoded.bytes;
  for (std::size_t i = 0; i < name.size() && i < kNameSize; ++i) e.fileName[i] = name[i];
  a.index.add(++a.slots, e);
  does("show the box \"" + f[1] + "\", then add it to " + path + " as entry " +
       std::to_string(a.slots) + " \"" + baseName(f[1]) + "\"");
}

void Planner::planDelete(const std::string& field) {
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
  if (gone.empty()) return does("delete " + pattern + ": matches nothing, nothing to do");
  for (const std::string& p : gone) {
    deletedFiles_.insert(key(p));
    madeFiles_.erase(key(p));
    does("delete " + p);
  }
}

void Planner::planCopy(const std::vector<std::string>& f) {
  bool ok = checkGame(f[1], "the destination");
  if (!fileExists(f[0])) {
    problem("the source \"" + f[0] + "\" does not exist (error 53)");
    ok = false;
  }
  if (!ok) return;
  std::string dest = gamePath(saPath_, f[1]);
  if (!dirExists(parentPath(dest)))
    return problem("the destination's folder " + parentPath(dest) + " does not exist (error 76)");
  if (dirExists(dest)) return problem("the destination " + dest + " is a folder (error 75)");
  bool replaces = fileExists(dest);
  madeFiles_[key(dest)] = dest;
  deletedFiles_.erase(key(dest));
  does("copy " + f[0] + " to " + dest + (replaces ? " (replacing the file there)" : " (new file)"));
}

void Planner::planMakeDir(const std::string& field) {
  if (field.empty()) return problem("MAKEDIR with an empty field names the game folder itself");
  if (!checkGame(field, "the folder")) return;
  std::string dir = gamePath(saPath_, field);
  if (dirExists(dir)) return does("make folder " + dir + ": already there, nothing to do");
  if (fileExists(dir)) return problem(dir + " is a file, not a folder (error 75)");
  if (!dirExists(parentPath(dir)))
    return problem("the parent of " + dir + " does not exist (error 76): make it first");
  madeDirs_.insert(key(dir));
  does("make folder " + dir);
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
