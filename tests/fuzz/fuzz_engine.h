#pragma once
// Small pieces the fuzz targets share: silent doubles for what an installation shows, whose
// error boxes always answer Yes (the failed operation is abandoned and the run goes on), and
// whole files as byte strings.

#include <cstdint>
#include <string>

#include "facade/form1_install.h"
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

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
/// The little-endian 32-bit number at byte offset `at` of `bytes`.
std::uint32_t le32(const std::string& bytes, std::size_t at);
/// The size of the record at byte offset `at` as the game reads it: bytes 6-7 unless zero, else
/// bytes 4-5.
std::uint32_t recordSectors(const std::string& bytes, std::size_t at);

}  // namespace tamberlin::fuzz
