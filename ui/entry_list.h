#pragma once
// The entry list: the window's hidden List1, which holds the archive's entry names in directory
// order (item j is entry j + 1).

#include <cstddef>
#include <string>
#include <vector>

namespace tamberlin {

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
