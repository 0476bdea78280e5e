#include "imgarchive/module1.h"

#include <cstring>

#include "imgarchive/archive_edit.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "ui/entry_list.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "ui/status_line.h"

namespace tamberlin {

Module1::Module1(FileSystem& fs, StatusLine& status, EntryList& list, MessageBoxes& boxes)
    : fs_(fs), status_(status), list_(list), boxes_(boxes) {}

void Module1::SetStatus(const std::string& text) {
  status_.setStatus(text);
}

void Module1::ListIMGEntries() {
  if (IMGDir.empty())
    throw RuntimeError(err::kSubscript, "no archive directory has been read in this run");
  for (std::size_t k = 1; k < IMGDir.size(); ++k) list_.addItem(displayName(IMGDir[k]));
}

void Module1::errorBox(const std::string& prefix, const RuntimeError& e, const std::string& sub) {
  MessageBoxRequest box;
  box.text = prefix + std::to_string(e.number()) + "\r" + e.text() + "\r" + sub + "\r" +
             "Do you want to continue?";
  box.title = kEngineErrorTitle;
  box.buttons = MsgButtons::YesNo;
  box.icon = MsgIcon::Warning;
  if (boxes_.show(box) != MsgAnswer::Yes) throw ProgramEnd{1};
}

void Module1::trustTable(const std::string& path) {
  tablePath_ = fs_.nativePath(path);
  tableFileId_ = fs_.stat(path).id;
  tableComplete_ = true;
}

void Module1::distrustTable() {
  tablePath_.clear();
  tableFileId_ = 0;
  tableComplete_ = false;
}

void Module1::abandon(ArchiveEdit& edit, const RuntimeError& failure) {
  try {
    edit.rollback();
  } catch (const RuntimeError& e) {
    noteFlushes(edit);
    distrustTable();
    throw RuntimeError(failure.number(), failure.detail() +
                                             "; the archive could not be put back as it was (" +
                                             e.text() + "), read it again before changing it");
  }
  noteFlushes(edit);
  throw failure;
}

bool Module1::tableHolds(const std::string& path) const {
  if (!tableComplete_ || IMGDir.empty()) return false;
  std::string native;
  try {
    native = fs_.nativePath(path);
  } catch (const RuntimeError&) {
    return false;
  }
  FileInfo info = fs_.stat(path);
  if (!info.exists || info.isDir) return false;
  // The file's identity decides where the platform knows it: another path may name the same
  // file, and a file made anew at the same path is another archive.
  if (info.id != 0 && tableFileId_ != 0) return info.id == tableFileId_;
  return native == tablePath_;
}

void Module1::verifyTable(BinaryFile& archive) const {
  if (IMGDir.empty())
    throw RuntimeError(err::kSubscript,
                       imgPath + ": no archive directory has been read in this run");
  if (!tableComplete_)
    throw RuntimeError(err::kInvalidCall, imgPath +
                                              ": the archive's directory was not read completely, "
                                              "so it is not changed");
  if (!tableHolds(imgPath))
    throw RuntimeError(
        err::kInvalidCall,
        imgPath + " is not the archive whose directory was read (" + tablePath_ + ")");
  // A cheap look at the header: the file may have changed behind the table's back.
  const auto entries = static_cast<std::int64_t>(IMGDir.size()) - 1;
  const std::int64_t length = archive.length();
  if (length == 0 && entries == 0) return;
  unsigned char head[kHeaderSize];
  if (archive.read(1, head, sizeof head) != sizeof head || std::memcmp(head, kMagic, 4) != 0)
    throw RuntimeError(err::kInvalidFormat, imgPath + " does not begin with \"VER2\"");
  const std::int64_t count = std::int64_t{head[4]} | std::int64_t{head[5]} << 8 |
                             std::int64_t{head[6]} << 16 | std::int64_t{head[7]} << 24;
  if (count != entries)
    throw RuntimeError(err::kInvalidCall, imgPath + ": the header counts " + std::to_string(count) +
                                              " entries, the directory read holds " +
                                              std::to_string(entries));
}

}  // namespace tamberlin
