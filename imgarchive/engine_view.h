#pragma once
// What the archive engine shows: the status line (the window's Label2) and the entry list (the
// window's hidden List1). Message boxes go through platform/message_box.h.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

/// An entry list that only keeps its items: the window's hidden List1, and the lists of the
/// engines that nobody sees.
class ListBox : public EntryList {
 public:
  void addItem(const std::string& text) override { items_.push_back(text); }
  std::size_t count() const override { return items_.size(); }
  const std::string& item(std::size_t index) const override { return items_.at(index); }

 private:
  std::vector<std::string> items_;
};

}  // namespace tamberlin
