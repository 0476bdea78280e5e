#pragma once
// The status line: the window's Label2 during an installation, a console line on the command line.

#include <cstdint>
#include <string>

namespace tamberlin {

class StatusLine {
 public:
  virtual ~StatusLine() = default;
  virtual void setStatus(const std::string& text) = 0;
  /// Bytes of a long copy done out of all; shown by a progress bar where there is one.
  virtual void copyProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
};

}  // namespace tamberlin
