#include "fuzz/fuzz_engine.h"

#include <fstream>
#include <iterator>

#include "fuzz/fuzz_targets.h"
#include "platform/file_system.h"

namespace tamberlin::fuzz {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  fuzzCheck(static_cast<bool>(in), "cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  fuzzCheck(static_cast<bool>(out), "cannot write " + path);
}

std::uint32_t le32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    v |= std::uint32_t{static_cast<unsigned char>(bytes.at(at + i))} << (8 * i);
  return v;
}

std::uint32_t recordSectors(const std::string& bytes, std::size_t at) {
  const std::uint32_t both = le32(bytes, at + 4);
  return (both >> 16) != 0 ? both >> 16 : both & 0xFFFF;
}

}  // namespace tamberlin::fuzz
