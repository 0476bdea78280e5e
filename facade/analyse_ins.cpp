// AnalyseINS: the script's lines run in order against the game folder.
#include <cstdint>
#include <optional>

#include "facade/form1_install.h"
#include "installscript/containment.h"
#include "installscript/file_commands.h"
#include "installscript/line_error.h"
#include "installscript/script_file.h"
#include "journal/install_journal.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "platform/win_path.h"
#include "ui/message_box.h"
#include "ui/program_end.h"

namespace tamberlin {

void Form1Install::AnalyseINS() {
  const auto total = static_cast<std::size_t>(static_cast<std::int32_t>(numNumHH));
  // The flush that only makes an archive change durable waits for the end of the run: one per
  // archive there instead of one per change.
  archives_.deferLastFlush(true);
  std::size_t at = 0;
  try {
    if (keepJournal) startJournal();
    for (std::size_t i = 0; i < total && i < insLines.size(); ++i) {
      at = i;
      // A resumed installation skips the lines an earlier run did: no boxes, no scratch file.
      if (journal_ && journal_->lineDone(i + 1)) {
        ++linesResumed_;
        continue;
      }
      const std::string& line = insLines[i];
      window_.lineStarted(i, total, line);
      window_.setFocus();
      RecognisedLine recognised = recogniseLine(line);
      if (journal_) journal_->lineStarting(i + 1);
      if (recognised.command != ScriptCommand::None) runCommand(i, recognised);
      if (journal_) journal_->lineEnded(i + 1);
      window_.lineDone(i, total);
    }
  } catch (const RuntimeError& e) {
    const bool durable = makeDurableQuietly();
    stopJournalQuietly(at + 1, e.number(), e.text(), durable);
    throw;
  } catch (const ProgramEnd&) {
    // "No" in an engine's error box: what earlier lines did stays done, durably.
    const bool durable = makeDurableQuietly();
    stopJournalQuietly(at + 1, 0, "ended by No in an error box", durable);
    throw;
  }
  try {
    makeDurable();
  } catch (const RuntimeError& e) {
    stopJournalQuietly(total, e.number(), e.text(), false);
    throw;
  }
  if (journal_) {
    journal_->complete();
    if (!journal_->started()) installNumber_ = 0;
  }
  journal_.reset();
}

void Form1Install::startJournal() {
  journal_ = std::make_unique<journal::InstallJournal>(fs_, saPath);
  const journal::Beginning b =
      journal_->begin(readScriptBytes(fs_, kScriptFile), journal::modName(fs_));
  installNumber_ = b.number;
  // Taking the earlier installation back changed archives whose directories were read before.
  if (b.undo.undone > 0) archives_.readAgain();
  if (b.kind == journal::Beginning::Kind::Redone) tookBack_ = b.previous;
  if (b.kind != journal::Beginning::Kind::RedoneOverConflicts) return;
  const std::size_t n = b.undo.conflicts;
  boxes_.show(MessageBoxRequest{
      "This mod was installed before (installation " + std::to_string(b.previous) +
          "). It could not be taken back first: " + std::to_string(n) +
          (n == 1 ? " thing it changed was" : " things it changed were") +
          " changed again since (tamberlin uninstall \"" + displayPath(saPath) + "\" " +
          std::to_string(b.previous) + " --dry-run lists them). It is installed again over it.",
      kAppTitle, MsgButtons::Ok, MsgIcon::Warning});
}

void Form1Install::stopJournalQuietly(std::size_t line, int error, const std::string& text,
                                      bool durable) {
  if (!journal_) return;
  if (!journal_->started()) installNumber_ = 0;
  try {
    journal_->stopped(line, error, text, durable);
  } catch (const RuntimeError&) {
    // The error that stopped the run is the one to report; the journal reads as running.
  }
  journal_.reset();
}

Module1& Form1Install::archiveEngine(const std::string& field, const std::string& path) {
  if (journal_) journal_->namingArchive(field, path);
  return archives_.engineFor(path);
}

void Form1Install::makeDurable() {
  std::optional<RuntimeError> first;
  try {
    syncChangedFolders();
  } catch (const RuntimeError& e) {
    first = e;
  }
  try {
    // Durability only: each archive is sound whether or not its last change is on the disk.
    archives_.flushPending();
  } catch (const RuntimeError& e) {
    if (!first) first = e;
  }
  archives_.deferLastFlush(false);
  if (first) throw *first;
}

bool Form1Install::makeDurableQuietly() {
  try {
    makeDurable();
    return true;
  } catch (const RuntimeError&) {
    // The error that stopped the run is the one to report.
    return false;
  }
}

void Form1Install::syncChangedFolders() {
  // Durability only: each name change is sound on the disk at any moment (a copy is renamed into
  // place after its bytes were flushed). On NTFS renames are written through and folder entries
  // journaled, so these flushes add nothing there.
  while (!changedFolders_.empty()) {
    std::string dir = *changedFolders_.begin();
    changedFolders_.erase(changedFolders_.begin());
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
    throw RuntimeError(e.number(), scriptLineName(index) + ": " + e.detail());
  }
  const script::Line parsed = script::parseFields(line, scratch, index + 1);
  try {
    runCommandFields(index, parsed.command);
    ++commandsDone_;
  } catch (const RuntimeError& e) {
    throw atScriptLine(index, line.command, e);
  }
}

void Form1Install::runCommandFields(std::size_t index, const script::Command& command) {
  using namespace script;
  const std::string where = scriptLineName(index);
  std::visit(
      Overloaded{
          [&](const RepInImg& c) {
            checkGamePath(c.archive.text, where + ", REPINIMG archive");
            module1.imgPath = gamePath(saPath, c.archive.text);
            archiveField_ = c.archive.text;
            RepInIMGSys(c.entry.text, c.file.text);
            window_.makeVisible();
          },
          [&](const AddInImg& c) {
            checkGamePath(c.archive.text, where + ", ADDINIMG archive");
            module1.imgPath = gamePath(saPath, c.archive.text);
            archiveField_ = c.archive.text;
            // A resumed run whose add was made before its "done" was kept: nothing to do.
            if (journal_ && !journal_->lineDone(index + 1) && fs_.stat(module1.imgPath).exists &&
                journal_->addAlreadyMade(c.archive.text,
                                         archiveEngine(c.archive.text, module1.imgPath).archive()))
              return;
            AddinImgSys(c.file.text);
            window_.makeVisible();
          },
          [&](const Delete& c) {
            if (c.pattern.text.empty()) throw emptyFieldError(index, Delete::kCommand);
            checkGamePath(c.pattern.text, where + ", DELETE file");
            const std::string pattern = gamePath(saPath, c.pattern.text);
            if (journal_) {
              const std::vector<std::string> files = filesMatching(fs_, pattern);
              journal_->removeFiles(c.pattern.text, files);
              if (!files.empty()) changedFolders_.insert(destFolder(pattern));
            } else if (deleteMatching(fs_, pattern) > 0) {
              changedFolders_.insert(destFolder(pattern));
            }
            window_.makeVisible();
          },
          [&](const Add& c) {
            checkGamePath(c.dest.text, where + ", ADD destination");
            window_.makeVisible();
            const std::string dest = gamePath(saPath, c.dest.text);
            std::function<void(const std::string&)> beforeRename;
            if (journal_)
              beforeRename = [&](const std::string& part) {
                journal_->beforeCopyRename(c.dest.text, dest, part);
              };
            copyIntoPlace(fs_, c.source.text, dest, &label2_, false, beforeRename);
            changedFolders_.insert(destFolder(dest));
          },
          [&](const MakeDir& c) {
            if (c.folder.text.empty()) throw emptyFieldError(index, MakeDir::kCommand);
            checkGamePath(c.folder.text, where + ", MAKEDIR folder");
            const std::string folder = gamePath(saPath, c.folder.text);
            const bool made =
                journal_ ? journal_->makeFolder(c.folder.text, folder) : makeFolder(fs_, folder);
            if (made) changedFolders_.insert(destFolder(folder));
            window_.makeVisible();
          },
          [&](const TooFewFields& c) { throw tooFewFieldsError(index, c); },
          [](const EmptyLine&) {},
          [](const Note&) {},
      },
      command);
}

}  // namespace tamberlin
