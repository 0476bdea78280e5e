#pragma once
// Tiny archives built by the tests in temporary folders, and an independent reader to check
// what the engine wrote (little-endian fields assembled here, not through the engine's code).

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tamberlin::test {

/// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  /// The native path of `name` inside the folder.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string readBytes(const std::string& path);
/// The first `n` bytes of the file (fewer when it is shorter).
std::string readHead(const std::string& path, std::size_t n);
void writeBytes(const std::string& path, const std::string& bytes);

/// `n` recognisable bytes for entry `tag`: different for each tag and each position.
std::string pattern(std::uint32_t tag, std::size_t n);

/// A name field: `name` padded with NULs to 24 bytes (a 24-byte name is taken as it is).
std::string nameField(const std::string& name);

void putLE32(std::string& bytes, std::size_t at, std::uint32_t v);
std::uint32_t getLE32(const std::string& bytes, std::size_t at);

/// One record of a test archive; `name` is the name field's raw bytes (see nameField).
struct Rec {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  std::string name;
};

/// A "VER2" archive of `recs`, `length` bytes long, with each entry's data set to
/// pattern(k, size * 2048) at its offset (k = record number from 1, cut where the file ends).
std::string makeArchive(const std::vector<Rec>& recs, std::size_t length);

struct Parsed {
  std::string magic;
  std::uint32_t count = 0;
  std::vector<Rec> records;  ///< names as their 24 raw bytes
};

/// Reads header and records; throws std::runtime_error when the file cannot hold them.
Parsed parseArchive(const std::string& bytes);

/// The `n` bytes of the archive starting at the record's data (fewer where the file ends).
std::string dataOf(const std::string& archive, const Rec& r, std::size_t n);

/// Success when `a` and `b` are equal; else names the lengths and the first differing offset
/// (large byte strings make unreadable failure messages).
::testing::AssertionResult sameBytes(const std::string& a, const std::string& b);

}  // namespace tamberlin::test
