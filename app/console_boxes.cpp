#include "app/console_boxes.h"

namespace tamberlin {

std::string consoleText(const std::string& boxText) {
  std::string out;
  out.reserve(boxText.size());
  for (std::size_t i = 0; i < boxText.size(); ++i) {
    char c = boxText[i];
    if (c == '\r') {
      out += '\n';
      if (i + 1 < boxText.size() && boxText[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

ConsoleBoxes::ConsoleBoxes(bool continueOnError) : ConsoleBoxes(standardErr(), continueOnError) {}

ConsoleBoxes::ConsoleBoxes(TextWriter& out, bool continueOnError)
    : out_(out), continueOnError_(continueOnError) {}

MsgAnswer ConsoleBoxes::show(const MessageBoxRequest& box) {
  out_ << "[" << box.title << "] " << consoleText(box.text) << "\n";
  if (box.buttons == MsgButtons::Ok) {
    out_.flush();
    return MsgAnswer::Ok;
  }
  MsgAnswer answer = continueOnError_ ? MsgAnswer::Yes : MsgAnswer::No;
  out_ << "  -> " << (answer == MsgAnswer::Yes ? "Yes" : "No") << "\n";
  out_.flush();
  return answer;
}

ConsoleStatus::ConsoleStatus(bool verbose) : ConsoleStatus(standardErr(), verbose) {}

ConsoleStatus::ConsoleStatus(TextWriter& out, bool verbose) : out_(out), verbose_(verbose) {}

void ConsoleStatus::setStatus(const std::string& text) {
  text_ = text;
  lastPercent_ = -1;
  if (verbose_ && !text.empty()) out_ << "status: " << text << "\n";
}

void ConsoleStatus::copyProgress(std::uint64_t done, std::uint64_t total) {
  if (!verbose_ || total == 0) return;
  int percent = static_cast<int>(done * 100 / total);
  bool step = lastPercent_ < 0 || percent >= lastPercent_ + 10;
  if (!step && !(percent == 100 && lastPercent_ != 100)) return;
  lastPercent_ = percent;
  out_ << "copied " << done << " of " << total << " bytes (" << percent << "%)\n";
}

}  // namespace tamberlin
