#pragma once
// Test doubles for what the archive engine shows: a status line that records every text, a
// list box, and message boxes that record every box and answer from a queue.

#include <deque>
#include <string>
#include <vector>

#include "ui/entry_list.h"
#include "ui/message_box.h"
#include "ui/status_line.h"

namespace tamberlin::test {

class RecordingStatus : public StatusLine {
 public:
  void setStatus(const std::string& text) override {
    current = text;
    history.push_back(text);
  }
  void copyProgress(std::uint64_t done, std::uint64_t total) override {
    ++progressCalls;
    lastDone = done;
    lastTotal = total;
  }

  std::string current;
  std::vector<std::string> history;
  int progressCalls = 0;
  std::uint64_t lastDone = 0;
  std::uint64_t lastTotal = 0;
};

class FakeList : public EntryList {
 public:
  void addItem(const std::string& text) override { items.push_back(text); }
  std::size_t count() const override { return items.size(); }
  const std::string& item(std::size_t index) const override { return items.at(index); }

  std::vector<std::string> items;
};

/// Answers boxes from `answers` in order; a box with no answer left is answered No (which ends
/// the program), so an unexpected box never lets a test run on silently.
class ScriptedBoxes : public MessageBoxes {
 public:
  MsgAnswer show(const MessageBoxRequest& box) override {
    shown.push_back(box);
    if (answers.empty()) return MsgAnswer::No;
    MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }

  std::deque<MsgAnswer> answers;
  std::vector<MessageBoxRequest> shown;
};

}  // namespace tamberlin::test
