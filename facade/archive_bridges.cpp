// The archive commands' bridges to the archive engine: replace an entry found by name, add a
// file as a new entry.
#include <cstdint>

#include "facade/form1_install.h"
#include "installscript/line_error.h"
#include "journal/install_journal.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"
#include "ui/message_box.h"

namespace tamberlin {
namespace {

/// The journal's hook on an archive for the length of one change.
class HookScope {
 public:
  HookScope(ImgArchive& a, ImgArchive::BeforeVisible hook) : a_(a) {
    a_.beforeVisible(std::move(hook));
  }
  ~HookScope() { a_.beforeVisible(nullptr); }
  HookScope(const HookScope&) = delete;
  HookScope& operator=(const HookScope&) = delete;

 private:
  ImgArchive& a_;
};

}  // namespace

void Form1Install::RepInIMGSys(const std::string& inStra, const std::string& outStra) {
  const std::string archive = module1.imgPath;
  // Reading a missing archive would make it, empty: a replacement has nothing to find there.
  if (!fs_.stat(archive).exists) throw missingArchiveError(archive, inStra);
  Module1& engine = archiveEngine(archiveField_, archive);
  engine.imgPath = archive;
  HookScope hook(engine.archive(),
                 journal_ ? journal_->replaceHook(archiveField_, engine.archive()) : nullptr);
  std::int32_t slot = archives_.find(archive, inStra);
  if (slot == 0)
    throw RuntimeError(err::kFileNotFound,
                       missingEntryText(archives_.index(archive), inStra, displayPath(archive)));
  // The engine takes a missing replacement file as nothing to do; for a script line that would
  // report a failed replacement as done.
  const FileInfo source = fs_.stat(outStra);
  if (!source.exists || source.isDir) throw missingReplacementError(outStra, inStra);
  // A resumed run whose replace was made before its line's "done" was kept: nothing to do.
  if (journal_ && journal_->replaceAlreadyMade(archiveField_, engine.archive(), slot, outStra))
    return;
  // A search from the list's top leaves the number of entries it passed on the status line.
  if (slot > 1)
    engine.SetStatus("Replacing File File: " + inStra + " - " + std::to_string(slot - 1));
  std::int32_t byteCount = 0;
  engine.ReplaceFileInIMG(slot, outStra, 0, byteCount);
}

void Form1Install::AddinImgSys(const std::string& ffInputOmega) {
  boxes_.show(MessageBoxRequest{ffInputOmega, kAppTitle, MsgButtons::Ok, MsgIcon::None});
  const std::string archive = module1.imgPath;
  Module1& engine = archiveEngine(archiveField_, archive);
  if (journal_) journal_->beforeAdd();
  engine.imgPath = archive;
  HookScope hook(engine.archive(),
                 journal_ ? journal_->addHook(archiveField_, engine.archive()) : nullptr);
  std::string copy = ffInputOmega;
  engine.UseFileNameToIMG(copy, 0, 0, "");
}

}  // namespace tamberlin
