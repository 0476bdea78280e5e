// The fuzz targets' seed corpora and every input that once broke a property, replayed through
// the targets' own code (tests/fuzz/): a fix that regresses fails here without a fuzzer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "platform/runtime_error.h"
#include "support/install_rig.h"

namespace tamberlin {
namespace {

namespace stdfs = std::filesystem;
using Target = void (*)(const std::uint8_t*, std::size_t);

struct Named {
  const char* name;
  Target run;
};
const Named kTargets[] = {{"read_img", fuzz::readImgTarget},
                          {"script", fuzz::scriptTarget},
                          {"install", fuzz::installTarget}};

std::string slurp(const stdfs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// The corpus seeds of `target` and the regressions named "<target>-...".
std::vector<stdfs::path> inputsOf(const std::string& target) {
  std::vector<stdfs::path> out;
  const stdfs::path root = TAMBERLIN_FUZZ_DIR;
  for (const auto& e : stdfs::directory_iterator(root / "corpus" / target)) out.push_back(e.path());
  for (const auto& e : stdfs::directory_iterator(root / "regressions"))
    if (e.path().filename().string().rfind(target + "-", 0) == 0) out.push_back(e.path());
  return out;
}

void replay(const Named& t, std::size_t* count) {
  for (const stdfs::path& p : inputsOf(t.name)) {
    const std::string bytes = slurp(p);
    try {
      t.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    } catch (const fuzz::FuzzFailure& f) {
      ADD_FAILURE() << p << ": " << f.what();
    }
    ++*count;
  }
}

TEST(FuzzRegressions, EveryCorpusSeedAndRegressionKeepsItsProperties) {
  for (const Named& t : kTargets) {
    std::size_t count = 0;
    replay(t, &count);
    EXPECT_GT(count, 0u) << t.name << " has no inputs";
  }
}

TEST(FuzzRegressions, RegressionsAreNamedAfterATarget) {
  for (const auto& e : stdfs::directory_iterator(stdfs::path(TAMBERLIN_FUZZ_DIR) / "regressions")) {
    const std::string name = e.path().filename().string();
    bool known = false;
    for (const Named& t : kTargets) known = known || name.rfind(std::string(t.name) + "-", 0) == 0;
    EXPECT_TRUE(known) << name << " would never be replayed";
  }
}

// Found by the install target: a NUL inside a script's path cut the path short at the system
// call, so the line acted on another file than the one it named.
TEST(FuzzRegressions, APathHoldingANulIsRefusedNotCutShort) {
  test::InstallRig rig;
  rig.writeMod("car.dff", "new bytes");
  const std::string exe = test::readBytes(rig.gameFile("gta_sa.exe"));
  rig.writeScript(std::string("ADD car.dff, gta_sa.exe\0.bak\r\n", 30));
  const test::InstallOutcome out = rig.install();
  EXPECT_FALSE(out.completed);
  EXPECT_EQ(out.error, err::kBadFileNameOrNumber) << out.detail;
  EXPECT_EQ(test::readBytes(rig.gameFile("gta_sa.exe")), exe);
}

}  // namespace
}  // namespace tamberlin
