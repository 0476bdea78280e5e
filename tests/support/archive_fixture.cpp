#include "support/archive_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tamberlin::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "tamberlin-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string readHead(const std::string& path, std::size_t n) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::string out(n, '\0');
  in.read(out.data(), static_cast<std::streamsize>(n));
  out.resize(static_cast<std::size_t>(in.gcount()));
  return out;
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string pattern(std::uint32_t tag, std::size_t n) {
  std::string out(n, '\0');
  std::uint32_t x = tag * 2654435761u + 12345u;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    out[i] = static_cast<char>(x >> 24);
  }
  return out;
}

std::string nameField(const std::string& name) {
  std::string f = name.substr(0, 24);
  f.resize(24, '\0');
  return f;
}

void putLE32(std::string& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t getLE32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return v;
}

std::string makeArchive(const std::vector<Rec>& recs, std::size_t length) {
  std::string out(length, '\0');
  const std::size_t dirEnd = 8 + 32 * recs.size();
  if (length < dirEnd) out.resize(dirEnd, '\0');
  for (std::size_t k = 0; k < recs.size(); ++k) {
    const Rec& r = recs[k];
    std::size_t start = std::size_t{r.offset} * 2048;
    if (start >= out.size()) continue;
    // Only the part inside the file: a pattern's prefix is the pattern of the shorter length.
    std::string data = pattern(static_cast<std::uint32_t>(k + 1),
                               std::min(std::size_t{r.size} * 2048, out.size() - start));
    out.replace(start, data.size(), data);
  }
  out.replace(0, 4, "VER2");
  putLE32(out, 4, static_cast<std::uint32_t>(recs.size()));
  for (std::size_t k = 0; k < recs.size(); ++k) {
    std::size_t at = 8 + 32 * k;
    putLE32(out, at, recs[k].offset);
    putLE32(out, at + 4, recs[k].size);
    out.replace(at + 8, 24, nameField(recs[k].name));
  }
  return out;
}

Parsed parseArchive(const std::string& bytes) {
  if (bytes.size() < 8) throw std::runtime_error("archive shorter than its header");
  Parsed p;
  p.magic = bytes.substr(0, 4);
  p.count = getLE32(bytes, 4);
  if (8 + 32 * std::uint64_t{p.count} > bytes.size())
    throw std::runtime_error("directory runs past the end of the archive");
  for (std::size_t k = 0; k < p.count; ++k) {
    std::size_t at = 8 + 32 * k;
    p.records.push_back({getLE32(bytes, at), getLE32(bytes, at + 4), bytes.substr(at + 8, 24)});
  }
  return p;
}

std::string dataOf(const std::string& archive, const Rec& r, std::size_t n) {
  std::size_t start = std::size_t{r.offset} * 2048;
  if (start >= archive.size()) return {};
  return archive.substr(start, n);
}

::testing::AssertionResult sameBytes(const std::string& a, const std::string& b) {
  if (a == b) return ::testing::AssertionSuccess();
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return ::testing::AssertionFailure() << "lengths " << a.size() << " and " << b.size()
                                       << ", first difference at byte offset " << i;
}

}  // namespace tamberlin::test
