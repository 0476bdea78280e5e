// libFuzzer's entry for one target, chosen when this file is compiled
// (-DTAMBERLIN_FUZZ_TARGET=readImgTarget). A broken property is reported and turned into a
// crash, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    tamberlin::fuzz::TAMBERLIN_FUZZ_TARGET(data, size);
  } catch (const tamberlin::fuzz::FuzzFailure& f) {
    std::fprintf(stderr, "property failed: %s\n", f.what());
    std::abort();
  }
  return 0;
}
