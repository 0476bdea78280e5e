// AnalyseINS: the script's lines run in order against the game folder.
#include <cstdint>
#include <optional>

#include "installscript/containment.h"
#include "installscript/field_reader.h"
#include "installscript/file_commands.h"
#include "installscript/form1_install.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "ui/program_end.h"

namespace tamberlin {
namespace {

std::string lineName(std::size_t index) {
  return std::string(Form1Install::kScriptFile) + " line " + std::to_string(index + 1);
}

/// "DELETE" and "MAKEDIR" of an empty field would name the game folder itself.
void checkNotEmpty(const std::string& field, std::size_t index, ScriptCommand command) {
  if (!field.empty()) return;
  throw RuntimeError(err::kPathFileAccess,
                     lineName(index) + ": " + commandName(command) +
                         " names the game folder itself (its field is empty)");
}

}  // namespace

void Form1Install::AnalyseINS() {
  const auto total = static_cast<std::size_t>(static_cast<std::int32_t>(numNumHH));
  // The flush that only makes an archive change durable waits for the end of the run: one per
  // archive there instead of one per change.
  archives_.deferLastFlush(true);
  try {
    for (std::size_t i = 0; i < total && i < insLines.size(); ++i) {
      const std::string& line = insLines[i];
      window_.lineStarted(i, total, line);
      window_.setFocus();
      RecognisedLine recognised = recogniseLine(line);
      if (recognised.command != ScriptCommand::None) runCommand(i, recognised);
      window_.lineDone(i, total);
    }
  } catch (const RuntimeError&) {
    makeDurableQuietly();
    throw;
  } catch (const ProgramEnd&) {
    // "No" in an engine's error box: what earlier lines did stays done, durably.
    makeDurableQuietly();
    throw;
  }
  makeDurable();
}

void Form1Install::makeDurable() {
  std::optional<RuntimeError> first;
  try {
    syncCopiedFolders();
  } catch (const RuntimeError& e) {
    first = e;
  }
  try {
    archives_.flushPending();
  } catch (const RuntimeError& e) {
    if (!first) first = e;
  }
  archives_.deferLastFlush(false);
  if (first) throw *first;
}

void Form1Install::makeDurableQuietly() {
  try {
    makeDurable();
  } catch (const RuntimeError&) {
    // The error that stopped the run is the one to report.
  }
}

void Form1Install::syncCopiedFolders() {
  while (!copiedFolders_.empty()) {
    std::string dir = *copiedFolders_.begin();
    copiedFolders_.erase(copiedFolders_.begin());
    fs_.syncDir(dir);
  }
}

std::vector<std::string> Form1Install::splitThroughScratch(const std::string& operand,
                                                           std::size_t count, std::size_t index) {
  Label6 = operand;
  try {
    writeTextLines(fs_, kScratchFile, {Label6});
  } catch (const RuntimeError& e) {
    // Operands the code page cannot hold (bytes of the script that were no character of it).
    if (e.number() != err::kBadFileNameOrNumber) throw;
    throw RuntimeError(e.number(), lineName(index) + ": " + e.detail());
  }
  std::string text = ansiToUtf8(readWholeFile(fs_, kScratchFile));
  std::string source = std::string(kScratchFile) + ", the operands of " + lineName(index);
  std::vector<std::string> fields;
  for (Field& f : readFields(text, count, source)) fields.push_back(std::move(f.text));
  return fields;
}

void Form1Install::runCommand(std::size_t index, const RecognisedLine& line) {
  std::vector<std::string> f = splitThroughScratch(line.operand, fieldCount(line.command), index);
  try {
    runCommandFields(index, line.command, f);
  } catch (const RuntimeError& e) {
    // Say which line failed, unless the error already does.
    if (e.detail().find(lineName(index)) != std::string::npos) throw;
    std::string where = lineName(index) + " (" + commandName(line.command) + ")";
    throw RuntimeError(e.number(), e.detail().empty() ? where : where + ": " + e.detail());
  }
}

void Form1Install::runCommandFields(std::size_t index, ScriptCommand command,
                                    const std::vector<std::string>& f) {
  const std::string where = lineName(index);
  switch (command) {
    case ScriptCommand::RepInImg:
      checkGamePath(f[0], where + ", REPINIMG archive");
      module1.imgPath = gamePath(saPath, f[0]);
      RepInIMGSys(f[1], f[2]);
      window_.makeVisible();
      break;
    case ScriptCommand::AddInImg:
      checkGamePath(f[0], where + ", ADDINIMG archive");
      module1.imgPath = gamePath(saPath, f[0]);
      AddinImgSys(f[1]);
      window_.makeVisible();
      break;
    case ScriptCommand::Delete:
      checkNotEmpty(f[0], index, command);
      checkGamePath(f[0], where + ", DELETE file");
      deleteMatching(fs_, gamePath(saPath, f[0]));
      window_.makeVisible();
      break;
    case ScriptCommand::Add:
      checkGamePath(f[1], where + ", ADD destination");
      window_.makeVisible();
      copyIntoPlace(fs_, f[0], gamePath(saPath, f[1]), &label2_, false);
      copiedFolders_.insert(destFolder(gamePath(saPath, f[1])));
      break;
    case ScriptCommand::MakeDir:
      checkNotEmpty(f[0], index, command);
      checkGamePath(f[0], where + ", MAKEDIR folder");
      makeFolder(fs_, gamePath(saPath, f[0]));
      window_.makeVisible();
      break;
    case ScriptCommand::None:
      break;
  }
}

}  // namespace tamberlin
