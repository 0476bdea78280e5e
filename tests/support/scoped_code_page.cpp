#include "support/scoped_code_page.h"

#include <stdexcept>
#include <string>

namespace tamberlin::test {
namespace {

const bool kPinned = setCodePage(1252);

}  // namespace

ScopedCodePage::ScopedCodePage(unsigned cp) : previous_(codePage()) {
  if (!kPinned || !setCodePage(cp))
    throw std::runtime_error("code page " + std::to_string(cp) + " is not available");
}

}  // namespace tamberlin::test
