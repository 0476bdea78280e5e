// Arbitrary bytes as an install script. Properties: ReadINS reads one slot per line and fails
// only with the program's own errors; each recognised line's operands come out as exactly the
// fields its command takes or as too few of them; no field holds a line end, a quoted field
// holds no quote and a plain one ends in no blank; the fields read back through the scratch
// file's encoding are the fields of the line; a game-folder field the containment rule lets
// through never climbs above the game folder, judged here component by component as Windows
// would.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_engine.h"
#include "fuzz/fuzz_targets.h"
#include "installscript/containment.h"
#include "installscript/script.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"

namespace tamberlin::fuzz {
namespace {

/// Windows' reading of a component: trailing dots and blanks dropped, except for "." and "..".
std::string windowsComponent(const std::string& c) {
  if (c == "." || c == "..") return c;
  std::size_t end = c.find_last_not_of(". ");
  if (end != std::string::npos) return c.substr(0, end + 1);
  const auto dots = std::count(c.begin(), c.end(), '.');
  return dots >= 2 ? ".." : dots == 1 ? "." : "";
}
/// True when `field`, joined under a folder, stays inside it.
bool staysInside(const std::string& field) {
  if (field.find(':') != std::string::npos) return false;
  if (field.size() >= 2 && (field[0] == '\\' || field[0] == '/') &&
      (field[1] == '\\' || field[1] == '/'))
    return false;
  int depth = 0;
  std::string part;
  for (std::size_t i = 0; i <= field.size(); ++i) {
    if (i < field.size() && field[i] != '\\' && field[i] != '/') {
      part += field[i];
      continue;
    }
    const std::string c = windowsComponent(part);
    part.clear();
    if (c.empty() || c == ".") continue;
    if (c == ".." && --depth < 0) return false;
    if (c != "..") ++depth;
  }
  return true;
}

/// A field of a command, and whether it names a place in the game folder.
struct CommandField {
  const Field* field;
  bool inGame;
};
using CommandFields = std::vector<CommandField>;

/// The fields of a command in the order the line writes them.
CommandFields fieldsOf(const script::Command& command) {
  using namespace script;
  return std::visit(
      Overloaded{
          [](const RepInImg& c) {
            return CommandFields{{&c.archive, true}, {&c.entry, false}, {&c.file, false}};
          },
          [](const AddInImg& c) {
            return CommandFields{{&c.archive, true}, {&c.file, false}};
          },
          [](const Delete& c) {
            return CommandFields{{&c.pattern, true}};
          },
          [](const Add& c) {
            return CommandFields{{&c.source, false}, {&c.dest, true}};
          },
          [](const MakeDir& c) {
            return CommandFields{{&c.folder, true}};
          },
          [](const TooFewFields& c) {
            CommandFields f;
            for (const Field& x : c.fields) f.push_back({&x, false});
            return f;
          },
          [](const EmptyLine&) { return CommandFields{}; },
          [](const Note&) { return CommandFields{}; },
      },
      command);
}

std::vector<std::string> texts(const CommandFields& fields) {
  std::vector<std::string> out;
  for (const CommandField& f : fields) out.push_back(f.field->text);
  return out;
}

void checkLine(const std::string& text) {
  const script::Line line = script::parseLine(text, 1);
  const ScriptCommand command = script::commandOf(line.command);
  if (command == ScriptCommand::None) return;
  const std::size_t want = fieldCount(command);
  const CommandFields fields = fieldsOf(line.command);
  if (std::holds_alternative<script::TooFewFields>(line.command))
    fuzzCheck(fields.size() < want, "too few fields, yet as many as the command reads");
  else
    fuzzCheck(fields.size() == want, "field count");
  for (const CommandField& cf : fields) {
    const Field& f = *cf.field;
    fuzzCheck(f.text.find_first_of("\r\n") == std::string::npos, "a field holds a line end");
    if (f.quoted) fuzzCheck(f.text.find('"') == std::string::npos, "a quoted field holds a quote");
    if (!f.quoted && !f.text.empty())
      fuzzCheck(f.text.back() != ' ' && f.text.back() != '\t', "a plain field ends in a blank");
    if (cf.inGame && gamePathProblem(f.text).empty())
      fuzzCheck(staysInside(f.text), "containment let through \"" + f.text + "\"");
  }
  // The executor reads the fields back from the scratch file; lint and the dry run read them
  // from the line. Both must see the same command.
  const AnsiEncoding encoded = encodeAnsi(line.operand);
  if (!encoded.ok()) return;  // the executor stops at the scratch file with error 52
  const std::string scratch = ansiToUtf8(encoded.bytes + "\r\n");
  const script::Line executed = script::parseFields(recogniseLine(text), scratch, 1);
  fuzzCheck(executed.command.index() == line.command.index() &&
                texts(fieldsOf(executed.command)) == texts(fields) &&
                executed.extraFields == line.extraFields,
            "the scratch file's fields differ from the line's");
}

/// Runs ReadINS on `script` in the scratch folder, restoring the current folder afterwards.
void checkReadIns(const std::string& script, std::size_t lines) {
  char previous[PATH_MAX];
  fuzzCheck(::getcwd(previous, sizeof previous) != nullptr, "getcwd");
  const std::string dir = scratchDir("script");
  writeFile(dir + "/ins.cfg", script);
  fuzzCheck(::chdir(dir.c_str()) == 0, "chdir");
  QuietStatus status;
  YesBoxes boxes;
  InstallWindow window;
  Form1Install form(realFileSystem(), boxes, status, window);
  std::string failure;
  try {
    form.ReadINS();
    if (static_cast<std::size_t>(form.numNumHH) != lines) failure = "ReadINS line count";
  } catch (const RuntimeError& e) {
    if (!(e.number() == err::kSubscript && lines > Form1Install::kMaxLines))
      failure = "ReadINS failed: " + e.text();
  }
  fuzzCheck(::chdir(previous) == 0, "chdir back");
  fuzzCheck(failure.empty(), failure);
}

}  // namespace

void scriptTarget(const std::uint8_t* data, std::size_t size) {
  const std::string script(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = splitLines(script);
  for (const std::string& raw : lines) {
    fuzzCheck(raw.find_first_of("\r\n") == std::string::npos, "a line holds a line end");
    checkLine(ansiToUtf8(raw));
  }
  checkReadIns(script, lines.size());
}

}  // namespace tamberlin::fuzz
