#pragma once
// Small pieces the fuzz targets share: the archive engine wired to silent doubles whose error
// boxes always answer Yes (the failed operation is abandoned and the run goes on), and whole
// files as byte strings.

#include <cstdint>
#include <string>

#include "imgarchive/module1.h"
#include "installscript/form1_install.h"
#include "ui/entry_list.h"
#include "ui/message_box.h"
#include "ui/status_line.h"

namespace tamberlin::fuzz {

class QuietStatus : public StatusLine {
 public:
  void setStatus(const std::string&) override {}
};

/// Answers every question Yes and counts the boxes shown.
class YesBoxes : public MessageBoxes {
 public:
  MsgAnswer show(const MessageBoxRequest& box) override {
    ++shown;
    return box.buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }
  int shown = 0;
};

/// Module1 over the real file system with the doubles above.
struct Engine {
  Engine();
  QuietStatus status;
  ListBox list;
  YesBoxes boxes;
  Module1 module;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
/// The little-endian 32-bit number at byte offset `at` of `bytes`.
std::uint32_t le32(const std::string& bytes, std::size_t at);

}  // namespace tamberlin::fuzz
