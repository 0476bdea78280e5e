#include "imgarchive/format.h"

#include "platform/ansi.h"

namespace tamberlin {

std::string nameUpToNul(const std::array<char, kNameSize>& name) {
  std::size_t n = 0;
  while (n < kNameSize && name[n] != '\0') ++n;
  return std::string(name.data(), n);
}

std::string displayName(const IMGEntry& e) {
  return ansiToUtf8(nameUpToNul(e.fileName));
}

}  // namespace tamberlin
