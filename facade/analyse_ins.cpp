// AnalyseINS: the script's lines run in order against the game folder.
#include <cstdint>
#include <optional>

#include "facade/form1_install.h"
#include "installscript/containment.h"
#include "installscript/file_commands.h"
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

std::string Form1Install::throughScratch(const std::string& operand) {
  Label6 = operand;
  writeTextLines(fs_, kScratchFile, {Label6});
  return ansiToUtf8(readWholeFile(fs_, kScratchFile));
}

void Form1Install::runCommand(std::size_t index, const RecognisedLine& line) {
  std::string scratch;
  try {
    scratch = throughScratch(line.operand);
  } catch (const RuntimeError& e) {
    // Operands the code page cannot hold: bytes of the script that are no character of it.
    if (e.number() != err::kBadFileNameOrNumber) throw;
    throw RuntimeError(e.number(), lineName(index) + ": " + e.detail());
  }
  const script::Line parsed = script::parseFields(line, scratch, index + 1);
  try {
    runCommandFields(index, parsed.command);
    ++commandsDone_;
  } catch (const RuntimeError& e) {
    // Say which line failed, unless the error already does.
    if (e.detail().find(lineName(index)) != std::string::npos) throw;
    std::string where = lineName(index) + " (" + commandName(line.command) + ")";
    throw RuntimeError(e.number(), e.detail().empty() ? where : where + ": " + e.detail());
  }
}

void Form1Install::runCommandFields(std::size_t index, const script::Command& command) {
  using namespace script;
  const std::string where = lineName(index);
  std::visit(
      Overloaded{
          [&](const RepInImg& c) {
            checkGamePath(c.archive.text, where + ", REPINIMG archive");
            module1.imgPath = gamePath(saPath, c.archive.text);
            RepInIMGSys(c.entry.text, c.file.text);
            window_.makeVisible();
          },
          [&](const AddInImg& c) {
            checkGamePath(c.archive.text, where + ", ADDINIMG archive");
            module1.imgPath = gamePath(saPath, c.archive.text);
            AddinImgSys(c.file.text);
            window_.makeVisible();
          },
          [&](const Delete& c) {
            checkNotEmpty(c.pattern.text, index, Delete::kCommand);
            checkGamePath(c.pattern.text, where + ", DELETE file");
            deleteMatching(fs_, gamePath(saPath, c.pattern.text));
            window_.makeVisible();
          },
          [&](const Add& c) {
            checkGamePath(c.dest.text, where + ", ADD destination");
            window_.makeVisible();
            copyIntoPlace(fs_, c.source.text, gamePath(saPath, c.dest.text), &label2_, false);
            copiedFolders_.insert(destFolder(gamePath(saPath, c.dest.text)));
          },
          [&](const MakeDir& c) {
            checkNotEmpty(c.folder.text, index, MakeDir::kCommand);
            checkGamePath(c.folder.text, where + ", MAKEDIR folder");
            makeFolder(fs_, gamePath(saPath, c.folder.text));
            window_.makeVisible();
          },
          [&](const TooFewFields& c) {
            // The field reader read past the end of the scratch file.
            throw RuntimeError(
                err::kInputPastEnd,
                std::string(kScratchFile) + ", the operands of " + where + ": " + describe(c));
          },
          [](const EmptyLine&) {},
          [](const Note&) {},
      },
      command);
}

}  // namespace tamberlin
