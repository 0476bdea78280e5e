#pragma once
// Progress of a long copy on a terminal: a bar redrawn in place on a TTY, or plain lines every
// tenth of the way when the stream goes to a file or a pipe.

#include <cstdint>
#include <string>

#include "platform/text_writer.h"

namespace tamberlin {

class ProgressBar {
 public:
  /// `label` starts each line; `interactive` redraws one line in place (for a terminal).
  ProgressBar(TextWriter& out, bool interactive, std::string label);

  /// Shows `done` bytes out of `total`; draws only when the shown value changes (a whole
  /// per-mille on a terminal, a tenth otherwise), so calling it often costs little.
  void update(std::uint64_t done, std::uint64_t total);
  /// Ends the bar's line on a terminal. Safe to call more than once.
  void finish();

 private:
  TextWriter& out_;
  bool interactive_;
  std::string label_;
  long shown_ = -1;    ///< the step last drawn
  bool open_ = false;  ///< a terminal line is being redrawn
};

/// True when the standard error stream is a terminal.
bool stderrIsTerminal();

/// `n` with thousands separated by commas: "937,680,896".
std::string groupedNumber(std::uint64_t n);

}  // namespace tamberlin
