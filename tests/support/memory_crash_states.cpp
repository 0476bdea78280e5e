// What a power cut may leave of a memory file system: the durable state, plus any subset of
// each file's unflushed writes applied in order (a write maybe torn at a 512-byte boundary),
// plus each folder's prefix of unflushed name changes.
#include <algorithm>
#include <random>
#include <set>

#include "support/memory_file_system.h"
#include "support/memory_inode.h"

namespace tamberlin::test {

/// The unflushed changes a cut may keep or lose, in a fixed order.
struct MemoryFileSystem::StateSpace {
  struct DataItem {
    std::uint64_t inode = 0;
    std::size_t index = 0;            ///< into the inode's pending changes
    std::vector<std::int64_t> tears;  ///< 0-based file offsets at which the write may end
  };
  std::vector<DataItem> data;
  /// Per folder with unflushed name changes: its id and its changes (into pendingNames_).
  std::vector<std::pair<std::uint64_t, std::vector<std::size_t>>> folders;
  /// Per name change: (folder index, position in that folder's list) for each folder it touches.
  std::vector<std::vector<std::pair<std::size_t, std::size_t>>> placesOf;
  /// All items in program order: data items as their index, name changes as ~index.
  std::vector<std::size_t> order;

  std::size_t items() const { return data.size() + placesOf.size(); }
  /// The choices per item: lost, kept or torn per write; a prefix length per folder.
  std::vector<std::size_t> radix() const {
    std::vector<std::size_t> out;
    for (const auto& d : data) out.push_back(2 + d.tears.size());
    for (const auto& f : folders) out.push_back(f.second.size() + 1);
    return out;
  }
  bool exhaustive(const CrashStateOptions& options) const {
    std::size_t product = 1;
    for (std::size_t r : radix()) product = std::min(product * r, options.maxExhaustiveStates + 1);
    return items() <= options.exhaustiveItems && product <= options.maxExhaustiveStates;
  }
};

/// One state: per data item -1 lost, 0 kept, t >= 1 torn at tears[t - 1]; per folder how many
/// of its name changes reached the disk.
struct MemoryFileSystem::Choice {
  std::vector<int> data;
  std::vector<std::size_t> prefix;
};

namespace {

std::vector<std::int64_t> tearPoints(std::int64_t offset, std::int64_t n, std::size_t most) {
  const std::int64_t unit = MemoryFileSystem::kTearUnit;
  std::int64_t first = (offset / unit + 1) * unit, last = (offset + n - 1) / unit * unit;
  std::vector<std::int64_t> out;
  if (most == 0 || first > last) return out;
  std::int64_t count = (last - first) / unit + 1;
  if (count <= static_cast<std::int64_t>(most) || most == 1) {
    for (std::int64_t i = 0; i < std::min<std::int64_t>(count, most); ++i)
      out.push_back(first + i * unit);
    return out;
  }
  for (std::size_t i = 0; i < most; ++i)
    out.push_back(first + static_cast<std::int64_t>(i) * (count - 1) /
                              static_cast<std::int64_t>(most - 1) * unit);
  return out;
}

std::uint64_t fnv(std::uint64_t h, const std::string& s) {
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return (h ^ 0xff) * 1099511628211ull;
}

}  // namespace

MemoryFileSystem::StateSpace MemoryFileSystem::stateSpace(const CrashStateOptions& options) const {
  StateSpace space;
  // Only files some state can name: the writes of a file gone for good change no state.
  std::set<std::uint64_t> named;
  for (const auto& [id, node] : inodes_)
    for (const auto& [name, target] : node->durableEntries) named.insert(target);
  for (const NameChange& c : pendingNames_)
    for (const NameEffect& e : c.effects)
      if (e.target != 0) named.insert(e.target);
  std::vector<std::pair<long, std::size_t>> order;
  for (std::uint64_t id : named) {
    const Inode& node = inode(id);
    for (std::size_t i = 0; i < node.pending.size(); ++i) {
      const DataChange& d = node.pending[i];
      std::vector<std::int64_t> tears;
      if (!d.truncate)
        tears =
            tearPoints(d.offset, static_cast<std::int64_t>(d.bytes.size()), options.tearsPerWrite);
      order.push_back({d.seq, space.data.size()});
      space.data.push_back({id, i, std::move(tears)});
    }
  }
  std::map<std::uint64_t, std::size_t> folderIndex;
  for (std::size_t c = 0; c < pendingNames_.size(); ++c) {
    space.placesOf.emplace_back();
    for (const NameEffect& e : pendingNames_[c].effects) {
      auto [it, added] = folderIndex.emplace(e.dir, space.folders.size());
      if (added) space.folders.push_back({e.dir, {}});
      auto& list = space.folders[it->second].second;
      if (!list.empty() && list.back() == c) continue;  // a rename inside one folder
      space.placesOf[c].push_back({it->second, list.size()});
      list.push_back(c);
    }
    order.push_back({pendingNames_[c].seq, ~c});
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& o : order) space.order.push_back(o.second);
  return space;
}

std::size_t MemoryFileSystem::unflushedItems() const {
  return stateSpace({}).items();
}

/// Which name changes a choice keeps: each folder's prefix, cut back until every kept change
/// lies inside the prefix of each folder it touches.
static std::vector<bool> keptNames(
    const std::vector<std::vector<std::pair<std::size_t, std::size_t>>>& placesOf,
    const std::vector<std::pair<std::uint64_t, std::vector<std::size_t>>>& folders,
    std::vector<std::size_t> prefix) {
  for (bool shrank = true; shrank;) {
    shrank = false;
    for (std::size_t f = 0; f < folders.size(); ++f) {
      for (std::size_t j = 0; j < prefix[f]; ++j) {
        for (const auto& [g, pos] : placesOf[folders[f].second[j]]) {
          if (pos < prefix[g]) continue;
          prefix[f] = j;
          shrank = true;
        }
      }
    }
  }
  std::vector<bool> kept(placesOf.size());
  for (std::size_t f = 0; f < folders.size(); ++f)
    for (std::size_t j = 0; j < prefix[f]; ++j) kept[folders[f].second[j]] = true;
  return kept;
}

std::unique_ptr<MemoryFileSystem> MemoryFileSystem::buildState(const StateSpace& space,
                                                               const Choice& c) const {
  std::vector<bool> kept = keptNames(space.placesOf, space.folders, c.prefix);
  std::map<std::uint64_t, std::map<std::string, std::uint64_t>> names;
  for (const auto& [id, node] : inodes_)
    if (node->isDir) names[id] = node->durableEntries;
  for (std::size_t i = 0; i < pendingNames_.size(); ++i) {
    if (!kept[i]) continue;
    for (const NameEffect& e : pendingNames_[i].effects) {
      if (e.target != 0)
        names[e.dir][e.name] = e.target;
      else
        names[e.dir].erase(e.name);
    }
  }
  std::map<std::uint64_t, std::vector<std::pair<std::size_t, int>>> writes;
  for (std::size_t i = 0; i < space.data.size(); ++i)
    if (c.data[i] >= 0) writes[space.data[i].inode].push_back({i, c.data[i]});

  auto state = std::make_unique<MemoryFileSystem>();
  state->nextId_ = nextId_;
  state->capacity_ = capacity_;
  state->cwd_ = cwd_;
  // Walk from the root: what no kept name reaches is gone.
  std::vector<std::uint64_t> todo{1};
  std::set<std::uint64_t> seen{1};
  while (!todo.empty()) {
    std::uint64_t dir = todo.back();
    todo.pop_back();
    Inode& out = state->inode(dir);
    for (const auto& [name, id] : names[dir]) {
      const Inode& from = inode(id);
      bool first = seen.insert(id).second;
      if (!first && from.isDir) continue;  // a folder looped into itself
      out.entries[name] = out.durableEntries[name] = id;
      if (!first) continue;
      auto node = std::make_unique<Inode>();
      node->id = id;
      node->isDir = from.isDir;
      node->parent = dir;
      if (from.isDir) todo.push_back(id);
      node->durable = node->current = fileAfter(space, from, writes[id]);
      state->inodes_[id] = std::move(node);
    }
  }
  return state;
}

std::shared_ptr<std::string> MemoryFileSystem::fileAfter(
    const StateSpace& space, const Inode& from,
    const std::vector<std::pair<std::size_t, int>>& kept) const {
  if (kept.empty()) return from.durable;  // shared until someone writes
  auto bytes = std::make_shared<std::string>(*from.durable);
  for (const auto& [item, how] : kept) {
    const DataChange& d = from.pending[space.data[item].index];
    if (d.truncate) {
      bytes->resize(static_cast<std::size_t>(d.offset), '\0');
      continue;
    }
    std::int64_t n = how == 0 ? static_cast<std::int64_t>(d.bytes.size())
                              : space.data[item].tears[how - 1] - d.offset;
    std::size_t end = static_cast<std::size_t>(d.offset + n);
    if (bytes->size() < end) bytes->resize(end, '\0');
    bytes->replace(static_cast<std::size_t>(d.offset), static_cast<std::size_t>(n), d.bytes, 0,
                   static_cast<std::size_t>(n));
  }
  return bytes;
}

namespace {

/// Mixed-radix counting over every combination; false after the last.
bool nextCombination(std::vector<std::size_t>& digits, const std::vector<std::size_t>& radix) {
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (++digits[i] < radix[i]) return true;
    digits[i] = 0;
  }
  return false;
}

}  // namespace

bool MemoryFileSystem::triesEveryState(const CrashStateOptions& options) const {
  return stateSpace(options).exhaustive(options);
}

std::size_t MemoryFileSystem::crashStates(const StateVisitor& visit,
                                          const CrashStateOptions& options) const {
  const StateSpace space = stateSpace(options);
  std::set<std::uint64_t> seen;
  std::size_t visited = 0;
  bool going = true;
  auto offer = [&](const Choice& c) {
    if (!going) return;
    auto state = buildState(space, c);
    if (!seen.insert(state->fingerprint()).second) return;  // the same disk by another road
    ++visited;
    going = visit(*state, describe(space, c));
  };
  const std::vector<std::size_t> radix = space.radix();
  if (space.exhaustive(options)) {
    std::vector<std::size_t> digits(radix.size());
    do {
      Choice c;
      for (std::size_t i = 0; i < space.data.size(); ++i)
        c.data.push_back(static_cast<int>(digits[i]) - 1);
      for (std::size_t f = 0; f < space.folders.size(); ++f)
        c.prefix.push_back(digits[space.data.size() + f]);
      offer(c);
    } while (going && nextCombination(digits, radix));
    return visited;
  }
  for (const Choice& c : chosenStates(space)) offer(c);
  std::mt19937_64 random(options.seed);
  for (std::size_t n = 0; n < options.samples && going; ++n) {
    Choice c;
    for (const auto& d : space.data) {
      std::uint64_t r = random() % 4;  // lost, kept, kept, torn
      c.data.push_back(r == 0 ? -1
                       : r < 3 || d.tears.empty()
                           ? 0
                           : 1 + static_cast<int>(random() % d.tears.size()));
    }
    for (const auto& f : space.folders)
      c.prefix.push_back(static_cast<std::size_t>(random() % (f.second.size() + 1)));
    offer(c);
  }
  return visited;
}

std::vector<MemoryFileSystem::Choice> MemoryFileSystem::chosenStates(const StateSpace& space) {
  Choice nothing{std::vector<int>(space.data.size(), -1),
                 std::vector<std::size_t>(space.folders.size())};
  Choice everything = nothing;
  std::fill(everything.data.begin(), everything.data.end(), 0);
  for (std::size_t f = 0; f < space.folders.size(); ++f)
    everything.prefix[f] = space.folders[f].second.size();
  std::vector<Choice> out{nothing, everything};
  // The power went after the first k changes in program order, or during the next write.
  Choice upTo = nothing;
  for (std::size_t item : space.order) {
    out.push_back(upTo);
    if (item < space.data.size()) {
      for (std::size_t t = 1; t <= space.data[item].tears.size(); ++t) {
        out.push_back(upTo);
        out.back().data[item] = static_cast<int>(t);
      }
      upTo.data[item] = 0;
    } else {
      for (const auto& [f, pos] : space.placesOf[~item]) upTo.prefix[f] = pos + 1;
    }
  }
  // All but one, only one, and each write torn with everything else kept.
  for (std::size_t i = 0; i < space.data.size(); ++i) {
    out.push_back(everything);
    out.back().data[i] = -1;
    out.push_back(nothing);
    out.back().data[i] = 0;
    for (std::size_t t = 1; t <= space.data[i].tears.size(); ++t) {
      out.push_back(everything);
      out.back().data[i] = static_cast<int>(t);
    }
  }
  for (const auto& places : space.placesOf) {
    out.push_back(everything);
    for (const auto& [f, pos] : places) out.back().prefix[f] = pos;
    out.push_back(nothing);
    for (const auto& [f, pos] : places) out.back().prefix[f] = pos + 1;
  }
  return out;
}

std::uint64_t MemoryFileSystem::fingerprint() const {
  std::uint64_t h = 1469598103934665603ull;
  for (const std::string& path : listAll()) {
    h = fnv(h, path);
    if (path.back() != '/') h = fnv(h, *inode(resolve(path).id).current);
  }
  return h;
}

std::string MemoryFileSystem::describe(const StateSpace& space, const Choice& c) const {
  std::vector<bool> kept = keptNames(space.placesOf, space.folders, c.prefix);
  std::string keptText, tornText, lostText;
  auto add = [](std::string& to, const std::string& what) {
    to += (to.empty() ? "" : "; ") + what;
  };
  for (std::size_t item : space.order) {
    if (item >= space.data.size()) {
      std::size_t n = ~item;
      add(kept[n] ? keptText : lostText, pendingNames_[n].label);
      continue;
    }
    const StateSpace::DataItem& d = space.data[item];
    const DataChange& change = inode(d.inode).pending[d.index];
    int how = c.data[item];
    if (how <= 0) {
      add(how == 0 ? keptText : lostText, change.label);
    } else {
      add(tornText,
          change.label + " (first " + std::to_string(d.tears[how - 1] - change.offset) + " bytes)");
    }
  }
  if (keptText.empty() && tornText.empty() && lostText.empty()) return "no unflushed changes";
  if (keptText.empty() && tornText.empty()) return "every unflushed change lost";
  if (lostText.empty() && tornText.empty()) return "every unflushed change kept";
  std::string out;
  if (!keptText.empty()) out += "kept: " + keptText;
  if (!tornText.empty()) out += std::string(out.empty() ? "" : " | ") + "torn: " + tornText;
  if (!lostText.empty()) out += std::string(out.empty() ? "" : " | ") + "lost: " + lostText;
  return out;
}

}  // namespace tamberlin::test
