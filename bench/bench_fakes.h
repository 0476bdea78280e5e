#pragma once
// The status line and message boxes of a benchmarked installation: nothing is drawn, OK boxes
// are acknowledged, and an engine error box (Yes/No) means a broken setup.
#include <string>

#include "platform/runtime_error.h"
#include "ui/message_box.h"
#include "ui/status_line.h"

namespace tamberlin::bench {

class QuietStatus : public StatusLine {
 public:
  void setStatus(const std::string&) override {}
};

class BenchBoxes : public MessageBoxes {
 public:
  MsgAnswer show(const MessageBoxRequest& box) override {
    if (box.buttons == MsgButtons::YesNo)
      throw RuntimeError(err::kDeviceIO, "error box during benchmark: " + box.text);
    return MsgAnswer::Ok;
  }
};

}  // namespace tamberlin::bench
