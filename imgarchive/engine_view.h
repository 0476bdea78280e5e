#pragma once
// What the archive engine shows: the status line (the window's Label2) and the entry list (the
// window's hidden List1). Message boxes go through platform/message_box.h.

#include <cstddef>
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

class EntryList {
 public:
  virtual ~EntryList() = default;
  virtual void addItem(const std::string& text) = 0;
  virtual std::size_t count() const = 0;
  virtual const std::string& item(std::size_t index) const = 0;
};

}  // namespace tamberlin
