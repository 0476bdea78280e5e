#include "facade/module1.h"

#include <new>

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "ui/entry_list.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "ui/status_line.h"

namespace tamberlin {

Module1::Module1(FileSystem& fs, StatusLine& status, EntryList& list, MessageBoxes& boxes)
    : archive_(fs), IMGDir(archive_.table()), fs_(fs), status_(status), list_(list), boxes_(boxes) {
  archive_.onProgress(
      [this](std::uint64_t done, std::uint64_t total) { status_.copyProgress(done, total); });
}

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

void Module1::ReadIMG(const std::string& path) {
  SetStatus("Reading IMG...");
  try {
    archive_.read(path, IfMissing::CreateEmpty);
    SetStatus("");
  } catch (const std::bad_alloc&) {
    errorBox(" Error # ", RuntimeError(err::kOutOfMemory, path), "Sub ReadIMG");
  } catch (const RuntimeError& e) {
    errorBox(" Error # ", e, "Sub ReadIMG");
  }
}

void Module1::requireTableForImgPath() const {
  if (IMGDir.empty())
    throw RuntimeError(err::kSubscript,
                       imgPath + ": no archive directory has been read in this run");
  if (!archive_.complete())
    throw RuntimeError(err::kInvalidCall, imgPath +
                                              ": the archive's directory was not read completely, "
                                              "so it is not changed");
  if (!archive_.holds(imgPath))
    throw RuntimeError(
        err::kInvalidCall,
        imgPath + " is not the archive whose directory was read (" + archive_.path() + ")");
}

void Module1::UseFileNameToIMG(const std::string& newFilePath, const std::int32_t& /*unused1*/,
                               const std::int32_t& /*unused2*/, const std::string& entryName) {
  int marker = 0;
  try {
    const std::string name = addedEntryName(entryName.empty() ? newFilePath : entryName);
    marker = 2;
    // The table was read from an existing file: a missing one is an error, never made anew.
    fs_.open(imgPath, OpenMode::ReadWriteExisting)->close();
    marker = 8;
    requireTableForImgPath();
    archive_.add(newFilePath, name);
  } catch (const RuntimeError& e) {
    errorBox(std::to_string(marker) + "Error # ", e, "Sub UseFileNameToIMG");
  }
}

void Module1::ReplaceFileInIMG(std::int32_t entryIndex, const std::string& newFilePath,
                               std::int32_t sourceFileNum, std::int32_t& byteCount) {
  const auto entries = static_cast<std::int64_t>(IMGDir.size()) - 1;
  if (entryIndex < 1 || entryIndex > entries)
    throw RuntimeError(err::kSubscript, imgPath + ": there is no entry " +
                                            std::to_string(entryIndex) + " (the directory has " +
                                            std::to_string(entries < 0 ? 0 : entries) +
                                            " entries)");
  const IMGEntry& slot = IMGDir[static_cast<std::size_t>(entryIndex)];
  if (slot.dirPos == 0)
    throw RuntimeError(err::kSubscript, imgPath + ": entry " + std::to_string(entryIndex) +
                                            " has no record position");
  SetStatus("Replacing IMG File (" + displayName(slot) + ")...");
  try {
    if (sourceFileNum != 0)
      throw RuntimeError(err::kBadFileNameOrNumber, "file number " + std::to_string(sourceFileNum) +
                                                        ": the new data is read from the file " +
                                                        newFilePath + " only");
    // A missing, hidden or empty file is no error: nothing to put in.
    const FileInfo info = fs_.stat(newFilePath);
    if (info.exists && !info.isDir && !info.isHidden && info.size >= 1) {
      fs_.open(imgPath, OpenMode::ReadWriteExisting)->close();
      requireTableForImgPath();
      byteCount = static_cast<std::int32_t>(archive_.replace(entryIndex, newFilePath));
    }
  } catch (const RuntimeError& e) {
    errorBox("Error # ", e, "Sub ReplaceFileInIMG");
  }
  SetStatus("");
}

}  // namespace tamberlin
