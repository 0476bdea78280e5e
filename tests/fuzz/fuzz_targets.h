#pragma once
// The fuzz targets as plain functions, so that libFuzzer drives them (libfuzzer_entry.cpp) and
// the unit tests replay the seed corpora and every input that once failed
// (tests/test_fuzz_regressions.cpp) through the very same code.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tamberlin::fuzz {

/// A property of a target did not hold. libFuzzer's entry turns it into a crash report; the
/// replaying test reports it as a failure.
struct FuzzFailure : std::logic_error {
  using std::logic_error::logic_error;
};

/// Throws FuzzFailure naming `what` unless `ok`.
inline void fuzzCheck(bool ok, const std::string& what) {
  if (!ok) throw FuzzFailure(what);
}

/// Arbitrary bytes as an archive: the directory reader, the checker, then an add and a replace
/// that change nothing but what they mean to.
void readImgTarget(const std::uint8_t* data, std::size_t size);

/// Arbitrary bytes as an install script: line splitting, command words, the field reader, the
/// game-folder containment rule and ReadINS.
void scriptTarget(const std::uint8_t* data, std::size_t size);

/// Arbitrary bytes as "ins.cfg" of a whole installation into a sandboxed game folder: nothing
/// outside the game folder (and the mod folder's scratch file) changes, every archive stays
/// valid, and no failure escapes but the program's own errors.
void installTarget(const std::uint8_t* data, std::size_t size);

/// A folder of this process for target `name`, made on first use under $TMPDIR (or /tmp) and
/// removed when the process ends.
std::string scratchDir(const std::string& name);

}  // namespace tamberlin::fuzz
