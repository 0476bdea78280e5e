// gen_archive: writes a game-like "VER2" archive for tests, demos and benchmarks.
//
//   gen_archive OUT [--entries N] [--seed S] [--small] [--include NAME ...]
//
// The default is the size of the game's own archive: 16,300 entries, about 900 MB, sizes of
// mostly 1 to 60 sectors with a few large ones, data sorted by offset and contiguous right after
// the directory. Names look like the game's (short, lower case, .dff .txd .col .ifp ...) and are
// unique without regard to letter case. Each entry's data begins with its own name and a NUL, so
// a check can tell that an offset still points at the right bytes. --small gives entries of 1 or
// 2 sectors; --include puts the given names among the entries, spread evenly. The same seed
// gives the same archive, byte for byte.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "imgarchive/format.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

/// splitmix64: small, fast and the same on every platform and library.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  /// A value in [lo, hi].
  std::uint32_t range(std::uint32_t lo, std::uint32_t hi) {
    return lo + static_cast<std::uint32_t>(next() % (std::uint64_t{hi} - lo + 1));
  }
  bool chance(unsigned perMille) { return next() % 1000 < perMille; }

 private:
  std::uint64_t s_;
};

struct Options {
  std::string out;
  std::uint32_t entries = 16300;
  std::uint64_t seed = 1;
  bool small = false;
  std::vector<std::string> include;
};

const char* const kPrefixes[] = {"lae",   "lan", "sfn",  "sfe", "vgs", "vgn", "cs_", "ce_",
                                 "des_",  "sw_", "bar",  "lod", "veg", "ctb", "law", "cunte",
                                 "hotel", "mul", "gang", "air", "bev", "sub", "chi", "prt"};
const char* const kWords[] = {"road", "build", "tree", "grnd", "wall",  "shop",   "hous",  "fence",
                              "rock", "brdge", "stat", "pier", "block", "tunnel", "park",  "lamp",
                              "sign", "roof",  "shed", "dock", "land",  "hill",   "cliff", "mall"};
struct Ext {
  const char* ext;
  unsigned perMille;  // cumulative
};
const Ext kExts[] = {{".dff", 550}, {".txd", 900}, {".col", 950}, {".ifp", 970},
                     {".ipl", 985}, {".dat", 993}, {".rrr", 998}, {".scm", 1000}};

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string makeName(Rng& rng) {
  std::string base = kPrefixes[rng.next() % std::size(kPrefixes)];
  base += kWords[rng.next() % std::size(kWords)];
  if (rng.chance(700)) base += std::to_string(rng.range(1, 99));
  if (rng.chance(150)) base += kWords[rng.next() % std::size(kWords)];
  base = base.substr(0, 16);
  unsigned pick = static_cast<unsigned>(rng.next() % 1000);
  for (const Ext& e : kExts)
    if (pick < e.perMille) return base + e.ext;
  return base + ".dff";
}

/// Sizes in sectors: mostly small, skewed toward 1, with about one in 60 large.
std::uint32_t makeSize(Rng& rng, bool small) {
  if (small) return rng.range(1, 2);
  if (rng.chance(17)) return rng.range(64, 640);
  return std::min(rng.range(1, 60), rng.range(1, 60));
}

struct Plan {
  std::vector<std::string> names;
  std::vector<std::uint32_t> sizes;
};

Plan makePlan(const Options& o) {
  Rng rng(o.seed);
  Plan p;
  p.names.resize(o.entries);
  std::set<std::string> used;
  std::vector<bool> fixed(o.entries, false);
  for (std::size_t i = 0; i < o.include.size(); ++i) {
    std::size_t at = (i + 1) * o.entries / (o.include.size() + 1);
    while (fixed[at]) at = (at + 1) % o.entries;
    p.names[at] = o.include[i];
    fixed[at] = true;
    used.insert(lower(o.include[i]));
  }
  for (std::uint32_t k = 0; k < o.entries; ++k) {
    if (fixed[k]) continue;
    std::string name;
    do name = makeName(rng);
    while (!used.insert(lower(name)).second);
    p.names[k] = name;
  }
  for (std::uint32_t k = 0; k < o.entries; ++k) p.sizes.push_back(makeSize(rng, o.small));
  return p;
}

void putU32(unsigned char* b, std::uint64_t v) {
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}

/// Writes through a large buffer, so the disk sees few big sequential writes.
class Writer {
 public:
  explicit Writer(BinaryFile& f) : f_(f) { buf_.reserve(kBuffer); }
  void put(const void* p, std::size_t n) {
    const char* c = static_cast<const char*>(p);
    while (n > 0) {
      std::size_t take = std::min(n, kBuffer - buf_.size());
      buf_.insert(buf_.end(), c, c + take);
      c += take;
      n -= take;
      if (buf_.size() == kBuffer) flush();
    }
  }
  void flush() {
    if (!buf_.empty()) f_.write(pos_, buf_.data(), buf_.size());
    pos_ += static_cast<std::int64_t>(buf_.size());
    buf_.clear();
  }
  std::int64_t written() const { return pos_ - 1 + static_cast<std::int64_t>(buf_.size()); }

 private:
  static constexpr std::size_t kBuffer = 8 << 20;
  BinaryFile& f_;
  std::vector<char> buf_;
  std::int64_t pos_ = 1;
};

std::int64_t writeArchive(const Options& o, const Plan& p) {
  std::int64_t dirBytes = kHeaderSize + kRecordSize * std::int64_t{o.entries};
  std::int64_t first = sectorsFor(dirBytes);
  std::vector<unsigned char> head(static_cast<std::size_t>(first * sector), 0);
  std::memcpy(head.data(), kMagic, 4);
  putU32(head.data() + 4, o.entries);
  std::uint64_t offset = static_cast<std::uint64_t>(first);
  for (std::uint32_t k = 0; k < o.entries; ++k) {
    unsigned char* rec = head.data() + kHeaderSize + kRecordSize * k;
    putU32(rec, offset);
    putU32(rec + 4, p.sizes[k]);
    std::memcpy(rec + 8, p.names[k].data(), std::min(p.names[k].size(), kNameSize));
    offset += p.sizes[k];
  }
  if (offset >= (std::uint64_t{1} << 32)) throw RuntimeError(err::kOverflow, "archive too large");

  // Filler: pseudo-random bytes, entered at a different place for each entry.
  Rng rng(o.seed ^ 0xF111E5ull);
  std::vector<char> filler(1 << 16);
  for (char& c : filler) c = static_cast<char>(rng.next());
  auto file = realFileSystem().open(o.out, OpenMode::Create);
  Writer w(*file);
  w.put(head.data(), head.size());
  for (std::uint32_t k = 0; k < o.entries; ++k) {
    std::size_t left = std::size_t{p.sizes[k]} * sector;
    std::string lead = p.names[k] + '\0';
    w.put(lead.data(), lead.size());
    left -= lead.size();
    std::size_t at = (std::size_t{k} * 7919) % filler.size();
    while (left > 0) {
      std::size_t n = std::min(left, filler.size() - at);
      w.put(filler.data() + at, n);
      left -= n;
      at = 0;
    }
  }
  w.flush();
  file->close();
  return w.written();
}

int usage(const char* why) {
  if (why) std::cerr << "gen_archive: " << why << "\n";
  std::cerr << "usage: gen_archive OUT [--entries N] [--seed S] [--small] [--include NAME ...]\n";
  return 2;
}

bool parseNumber(const std::string& s, std::uint64_t max, std::uint64_t& out) {
  if (s.empty() || s.size() > 19 || s.find_first_not_of("0123456789") != std::string::npos)
    return false;
  out = std::stoull(s);
  return out <= max;
}

bool validName(const std::string& n) {
  return !n.empty() && n.size() < kNameSize && n.find('\0') == std::string::npos;
}

}  // namespace
}  // namespace tamberlin

int main(int argc, char** argv) {
  using namespace tamberlin;
  Options o;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::uint64_t v = 0;
    if (a == "--help" || a == "-h") {
      usage(nullptr);
      return 0;
    } else if (a == "--entries" && i + 1 < args.size()) {
      if (!parseNumber(args[++i], 1000000, v) || v == 0)
        return usage("--entries wants 1 to 1000000");
      o.entries = static_cast<std::uint32_t>(v);
    } else if (a == "--seed" && i + 1 < args.size()) {
      if (!parseNumber(args[++i], UINT64_MAX, v)) return usage("--seed wants a number");
      o.seed = v;
    } else if (a == "--small") {
      o.small = true;
    } else if (a == "--include") {
      while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
        if (!validName(args[i + 1])) return usage("--include names have 1 to 23 characters");
        o.include.push_back(args[++i]);
      }
    } else if (a.rfind("--", 0) == 0 || !o.out.empty()) {
      return usage(("unexpected argument '" + a + "'").c_str());
    } else {
      o.out = a;
    }
  }
  if (o.out.empty()) return usage("no output file");
  std::set<std::string> seen;
  for (const auto& n : o.include)
    if (!seen.insert(lower(n)).second) return usage(("--include names '" + n + "' twice").c_str());
  if (o.include.size() > o.entries) return usage("more --include names than entries");
  try {
    Plan plan = makePlan(o);
    std::int64_t bytes = writeArchive(o, plan);
    std::cout << "wrote " << o.out << ": " << o.entries << " entries, " << bytes << " bytes\n";
  } catch (const RuntimeError& e) {
    std::cerr << "gen_archive: " << e.text() << "\n";
    return 1;
  }
  return 0;
}
