#include "wizard/event_guard.h"

#include <exception>
#include <new>

#include "platform/runtime_error.h"
#include "ui/message_box.h"
#include "ui/program_end.h"

namespace tamberlin {

std::string runTimeErrorText(const RuntimeError& e) {
  return "Run-time error '" + std::to_string(e.number()) + "':\r\r" + e.text();
}

namespace {

std::optional<int> report(MessageBoxes& boxes, const RuntimeError& e) {
  try {
    boxes.show({runTimeErrorText(e), kAppTitle, MsgButtons::Ok, MsgIcon::None, false});
  } catch (...) {
    // The box itself failed; the program ends all the same.
  }
  return 1;
}

}  // namespace

std::optional<int> runEvent(MessageBoxes& boxes, const std::function<void()>& handler) {
  try {
    handler();
    return std::nullopt;
  } catch (const ProgramEnd& end) {
    return end.exitCode;
  } catch (const RuntimeError& e) {
    return report(boxes, e);
  } catch (const std::bad_alloc&) {
    return report(boxes, RuntimeError(err::kOutOfMemory));
  } catch (const std::exception& e) {
    return report(boxes, RuntimeError(err::kInvalidCall, e.what()));
  } catch (...) {
    return report(boxes, RuntimeError(err::kInvalidCall, "unexpected failure"));
  }
}

}  // namespace tamberlin
