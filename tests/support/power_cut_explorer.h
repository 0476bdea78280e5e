#pragma once
// Every power cut of one operation: the operation runs once to count its operations, then once
// per cut point with the power cut there (and once more to its end, with the cache not yet
// written out), and every state each cut may leave is handed to a check.

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace tamberlin::test {

/// Where the power went and what the disk kept, for a failing check to name.
struct PowerCutInfo {
  long cut = 0;           ///< the refused operation (1-based); operations + 1 after the last one
  long operations = 0;    ///< the operations the whole run makes
  std::string operation;  ///< the refused one ("rename a -> b"), or "after the last operation"
  std::string state;      ///< which unflushed changes the state kept, tore and lost
  /// "power cut at operation 3 of 7 (write a pos 1 len 4); kept: ..."
  std::string text() const;
};

struct ExploreOptions {
  CrashStateOptions states;
  int maxFailures = 3;  ///< stop after this many failing states
};

struct ExploreTotals {
  long operations = 0;         ///< the operations of one uncut run
  long cutPoints = 0;          ///< cut points tried (operations + 1)
  long states = 0;             ///< states checked in all
  long largestStateCount = 0;  ///< the most states one cut point left
  long sampledCutPoints = 0;   ///< cut points whose states were sampled, not all tried
  long failures = 0;
};

using PowerCutSetup = std::function<void(MemoryFileSystem& fs)>;
using PowerCutOperation = std::function<void(MemoryFileSystem& fs)>;
/// Checks a state left by a cut; may run the program on it. A RuntimeError it throws fails too.
using PowerCutCheck =
    std::function<::testing::AssertionResult(MemoryFileSystem& state, const PowerCutInfo& info)>;

/// Builds a fresh file system with `setup` for every run and makes it durable before
/// `operation` runs. Each failing state is reported with ADD_FAILURE naming the cut and the
/// state; so is an operation that fails uncut or does not repeat its operations.
ExploreTotals explorePowerCuts(const PowerCutSetup& setup, const PowerCutOperation& operation,
                               const PowerCutCheck& check, const ExploreOptions& options = {});

}  // namespace tamberlin::test
