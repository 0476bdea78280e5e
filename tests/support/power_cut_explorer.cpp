#include "support/power_cut_explorer.h"

#include <algorithm>
#include <exception>

#include "platform/runtime_error.h"

namespace tamberlin::test {
namespace {

/// A fresh file system after `setup`, all durable.
std::unique_ptr<MemoryFileSystem> prepared(const PowerCutSetup& setup) {
  auto fs = std::make_unique<MemoryFileSystem>();
  if (setup) setup(*fs);
  fs->makeDurable();
  return fs;
}

/// Runs the check, a throw counted as a failure.
::testing::AssertionResult runCheck(const PowerCutCheck& check, MemoryFileSystem& state,
                                    const PowerCutInfo& info) {
  try {
    return check(state, info);
  } catch (const RuntimeError& e) {
    return ::testing::AssertionFailure()
           << "the check failed with error " << e.number() << ": " << e.text();
  } catch (const std::exception& e) {
    return ::testing::AssertionFailure() << "the check threw: " << e.what();
  }
}

/// Checks every state `fs` may leave now; false once too many failed.
bool checkStates(const MemoryFileSystem& fs, PowerCutInfo info, const PowerCutCheck& check,
                 const ExploreOptions& options, ExploreTotals& totals) {
  std::size_t n = fs.crashStates(
      [&](MemoryFileSystem& state, const std::string& description) {
        info.state = description;
        ::testing::AssertionResult ok = runCheck(check, state, info);
        if (!ok) {
          ADD_FAILURE() << info.text() << "\n  " << ok.message();
          ++totals.failures;
        }
        return totals.failures < options.maxFailures;
      },
      options.states);
  totals.states += static_cast<long>(n);
  totals.largestStateCount = std::max(totals.largestStateCount, static_cast<long>(n));
  ++totals.cutPoints;
  if (!fs.triesEveryState(options.states)) ++totals.sampledCutPoints;
  return totals.failures < options.maxFailures;
}

}  // namespace

std::string PowerCutInfo::text() const {
  std::string where =
      cut > operations ? "power cut after the last of " + std::to_string(operations) + " operations"
                       : "power cut at operation " + std::to_string(cut) + " of " +
                             std::to_string(operations) + " (" + operation + ")";
  return where + "; " + state;
}

ExploreTotals explorePowerCuts(const PowerCutSetup& setup, const PowerCutOperation& operation,
                               const PowerCutCheck& check, const ExploreOptions& options) {
  ExploreTotals totals;
  auto uncut = prepared(setup);
  long before = uncut->operations();
  try {
    operation(*uncut);
  } catch (const RuntimeError& e) {
    ADD_FAILURE() << "the operation fails without a power cut: " << e.text();
    return totals;
  }
  totals.operations = uncut->operations() - before;
  const std::vector<std::string>& names = uncut->operationLog();
  for (long k = 1; k <= totals.operations; ++k) {
    auto fs = prepared(setup);
    fs->cutPowerAt(k);
    try {
      operation(*fs);
    } catch (const PowerCut&) {
    } catch (const RuntimeError& e) {
      ADD_FAILURE() << "with the power cut at operation " << k
                    << " the operation failed: " << e.text();
      return totals;
    }
    const std::string& expected = names[static_cast<std::size_t>(before + k - 1)];
    if (!fs->powerWasCut() || fs->cut().name != expected) {
      ADD_FAILURE() << "operation " << k << " (" << expected
                    << ") did not come again: the operation must repeat its operations";
      return totals;
    }
    if (!checkStates(*fs, {k, totals.operations, expected, {}}, check, options, totals))
      return totals;
  }
  // The power going after the end: what is not flushed may still be lost.
  checkStates(*uncut, {totals.operations + 1, totals.operations, "after the last operation", {}},
              check, options, totals);
  return totals;
}

}  // namespace tamberlin::test
