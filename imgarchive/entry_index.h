#pragma once
// Finding a directory entry by name, as a script's replace line names it: the exact name,
// letter case counting, the lowest slot winning among duplicates.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "imgarchive/format.h"

namespace tamberlin {

/// The name an entry is found by: its name bytes up to the first NUL (all 24 without one),
/// trailing blanks removed (an added entry is blank-padded up to its NUL, and that padding is
/// not part of its name), decoded from the ANSI code page to UTF-8.
std::string matchName(const IMGEntry& e);

class EntryIndex {
 public:
  EntryIndex() = default;
  /// Indexes slots 1.. of `dir` (slot 0 is never used).
  explicit EntryIndex(const std::vector<IMGEntry>& dir);

  /// The lowest slot whose match name equals `name` exactly (UTF-8, letter case counting);
  /// 0 when there is none.
  std::int32_t find(const std::string& name) const;

  /// A match name that differs from `name` only in letter case, for "did you mean" texts;
  /// empty when there is none (or when `name` itself is found).
  std::string suggest(const std::string& name) const;

  /// Makes slot `slot` findable (after an add). A name already held by a lower slot keeps
  /// pointing there.
  void add(std::int32_t slot, const IMGEntry& entry);

 private:
  /// Folds the names into folded_ when a suggestion is first asked for (rarely: only after a
  /// failed lookup), so that building the index stays cheap.
  void foldNames() const;

  std::unordered_map<std::string, std::int32_t> exact_;
  std::vector<std::string> names_;                                ///< match names in slot order
  mutable std::unordered_map<std::wstring, std::string> folded_;  ///< folded name -> first name
  mutable std::size_t foldedCount_ = 0;                           ///< names_ folded so far
};

/// The text of a failed lookup of `name` in the archive `archive`: "there is no entry ... in ...",
/// with a name differing only in letter case suggested where `index` has one.
std::string missingEntryText(const EntryIndex& index, const std::string& name,
                             const std::string& archive);

}  // namespace tamberlin
