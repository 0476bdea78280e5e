#pragma once
// Every user event reaches Form1 through runEvent(), so no exception ever crosses a toolkit's
// event loop: the program's deliberate end (ProgramEnd) becomes an exit code for the backend to
// act on, and any failure that slipped through is shown and ends the program.

#include <functional>
#include <optional>
#include <string>

namespace tamberlin {

class MessageBoxes;
class RuntimeError;

/// The text of the box that reports an error no routine handled: its number, then its
/// description and what it is about, on the next line but one.
std::string runTimeErrorText(const RuntimeError& e);

/// Runs `handler`. Returns nothing when it returned normally, or the exit code when the program
/// is to end: the code of a ProgramEnd, or 1 after showing the box of any other failure
/// (whatever was thrown).
std::optional<int> runEvent(MessageBoxes& boxes, const std::function<void()>& handler);

}  // namespace tamberlin
