#pragma once
// Tests run in code page 1252 whatever the machine's locale (scoped_code_page.cpp sets it before
// the first test); a test that needs another one holds a ScopedCodePage.

#include "platform/code_page.h"

namespace tamberlin::test {

/// Makes `cp` the code page until the object goes, then restores the previous one.
class ScopedCodePage {
 public:
  explicit ScopedCodePage(unsigned cp);
  ~ScopedCodePage() { setCodePage(previous_); }
  ScopedCodePage(const ScopedCodePage&) = delete;
  ScopedCodePage& operator=(const ScopedCodePage&) = delete;

 private:
  unsigned previous_;
};

}  // namespace tamberlin::test
