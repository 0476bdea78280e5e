#pragma once
// Message boxes and the status line for headless commands: everything the engine would show in a
// window goes to console text (stderr), and the boxes are answered without a person.

#include <cstdint>
#include <string>

#include "platform/text_writer.h"
#include "ui/message_box.h"
#include "ui/status_line.h"

namespace tamberlin {

/// Prints each box as "[title] text" with the box's CR line breaks shown as line breaks.
/// OK boxes are answered Ok; Yes/No boxes No, or Yes when `continueOnError` is set.
class ConsoleBoxes : public MessageBoxes {
 public:
  explicit ConsoleBoxes(bool continueOnError = false);
  ConsoleBoxes(TextWriter& out, bool continueOnError);

  MsgAnswer show(const MessageBoxRequest& box) override;


 private:
  TextWriter& out_;
  bool continueOnError_;
};

/// A status line that prints its texts (and copy progress in whole percent steps) when verbose
/// and stays silent otherwise. The last text is kept either way.
class ConsoleStatus : public StatusLine {
 public:
  explicit ConsoleStatus(bool verbose = false);
  ConsoleStatus(TextWriter& out, bool verbose);

  void setStatus(const std::string& text) override;
  void copyProgress(std::uint64_t done, std::uint64_t total) override;

  const std::string& text() const { return text_; }

 private:
  TextWriter& out_;
  bool verbose_;
  std::string text_;
  int lastPercent_ = -1;
};

/// The box's text as console lines: each CR, CR LF or LF becomes one line break.
std::string consoleText(const std::string& boxText);

}  // namespace tamberlin
