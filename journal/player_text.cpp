#include "journal/player_text.h"

namespace tamberlin::journal {
namespace {

std::string counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string installationName(const Installation& in) {
  const std::string number = "installation " + std::to_string(in.number);
  return in.mod.empty() ? number : number + " (" + in.mod + ")";
}

std::string changesText(const Installation& in) {
  const std::size_t entries = in.entries.size() + in.added.size();
  return counted(in.files.size(), "file", "files") + ", " +
         counted(in.folders.size(), "folder", "folders") + ", " +
         counted(entries, "archive entry", "archive entries") + " (" +
         std::to_string(in.entries.size()) + " replaced, " + std::to_string(in.added.size()) +
         " added)";
}

std::string causeText(const UndoStep& step) {
  if (step.causedBy == 0) return "changed by something else (the player or another tool)";
  std::string cause = "changed by installation " + std::to_string(step.causedBy);
  return step.causedByMod.empty() ? cause : cause + " (" + step.causedByMod + ")";
}

std::string conflictText(const UndoStep& step) {
  return step.what + ": " + step.conflict + "; " + causeText(step);
}

std::string stepText(const UndoStep& step, bool dryRun) {
  switch (step.status) {
    case StepStatus::Undo:
      return step.what + ": " + (dryRun ? "would " : "") + step.action;
    case StepStatus::NothingToDo:
      return step.what + ": nothing to do (it is as it was before)";
    case StepStatus::Conflict:
      return step.what + ": " + (dryRun ? "would leave it as it is: " : "left as it is: ") +
             step.conflict + "; " + causeText(step);
  }
  return step.what;
}

}  // namespace tamberlin::journal
