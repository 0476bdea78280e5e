#include "imgarchive/entry_index.h"

#include "platform/ansi.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

/// The name with letter case folded as the file system's name comparison folds it.
std::wstring foldCase(const std::string& utf8) {
  std::wstring w = utf8ToWide(utf8);
  for (wchar_t& c : w) c = upperCase(c);
  return w;
}

}  // namespace

std::string matchName(const IMGEntry& e) {
  std::string bytes = nameUpToNul(e.fileName);
  while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
  return ansiToUtf8(bytes);
}

EntryIndex::EntryIndex(const std::vector<IMGEntry>& dir) {
  exact_.reserve(dir.size());
  names_.reserve(dir.size());
  for (std::size_t k = 1; k < dir.size(); ++k) add(static_cast<std::int32_t>(k), dir[k]);
}

void EntryIndex::add(std::int32_t slot, const IMGEntry& entry) {
  std::string name = matchName(entry);
  auto [it, inserted] = exact_.emplace(name, slot);
  if (!inserted && slot < it->second) it->second = slot;
  names_.push_back(std::move(name));
}

void EntryIndex::foldNames() const {
  for (; foldedCount_ < names_.size(); ++foldedCount_)
    folded_.emplace(foldCase(names_[foldedCount_]), names_[foldedCount_]);
}

std::int32_t EntryIndex::find(const std::string& name) const {
  auto it = exact_.find(name);
  return it == exact_.end() ? 0 : it->second;
}

std::string EntryIndex::suggest(const std::string& name) const {
  if (find(name) != 0) return {};
  foldNames();
  auto it = folded_.find(foldCase(name));
  return it == folded_.end() ? std::string() : it->second;
}

std::string missingEntryText(const EntryIndex& index, const std::string& name,
                             const std::string& archive) {
  std::string text = "there is no entry \"" + name + "\" in " + archive;
  std::string near = index.suggest(name);
  if (!near.empty()) text += " (did you mean \"" + near + "\"? names count letter case)";
  return text;
}

}  // namespace tamberlin
