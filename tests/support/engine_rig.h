#pragma once
// An archive engine wired to recording test doubles.

#include "facade/module1.h"
#include "platform/file_system.h"
#include "support/fake_ui.h"

namespace tamberlin::test {

struct EngineRig {
  explicit EngineRig(FileSystem& fs = realFileSystem()) : engine(fs, status, list, boxes) {}

  /// The text of the only box shown so far ("" when none or several were shown).
  std::string onlyBox() const { return boxes.shown.size() == 1 ? boxes.shown[0].text : ""; }

  RecordingStatus status;
  FakeList list;
  ScriptedBoxes boxes;
  Module1 engine;
};

/// The prompt of an engine error box: `prefix` (" Error # ", "8Error # ", "Error # "), the
/// number, the description line, the routine and the question, separated by lone CRs.
inline std::string enginePrompt(const std::string& prefix, int number, const std::string& text,
                                const std::string& sub) {
  return prefix + std::to_string(number) + "\r" + text + "\r" + sub + "\rDo you want to continue?";
}

}  // namespace tamberlin::test
