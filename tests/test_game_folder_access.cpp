// What "Next >" does with a game folder this process may or may not change: the write probe,
// the elevated copy's start and the messages, with a denied folder played by a read-only view.
#include <gtest/gtest.h>

#include <filesystem>

#include "installscript/read_only_file_system.h"
#include "installscript/write_probe.h"
#include "platform/file_system.h"
#include "support/archive_fixture.h"
#include "support/fake_elevator.h"
#include "support/install_rig.h"
#include "wizard/game_folder_access.h"
#ifdef _WIN32
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include "platform/ansi.h"
#include "platform/win32/wide_text.h"
#endif

namespace tamberlin {
namespace {

using test::FakeElevator;
using test::TempDir;
using test::writeBytes;
namespace stdfs = std::filesystem;

enum class Rights { Elevator, Elevated, NoElevator };

struct AccessCase {
  const char* name;
  bool writable;
  bool archive;  ///< models\gta3.img is there
  Rights rights;
  ElevatedRun run;  ///< what a start of the elevated copy gives
  FolderDecision::Kind kind;
  int exitCode;
  std::size_t starts;   ///< of the elevated copy
  const char* message;  ///< a part of the message after the folder's line; "" when none
};

void PrintTo(const AccessCase& c, std::ostream* os) {
  *os << c.name;
}

class GameFolderAccess : public ::testing::TestWithParam<AccessCase> {};

const ElevatedRun kEndedOk{ElevatedRun::Ended, 0, 0};

TEST_P(GameFolderAccess, ProbeThenElevateOrRefuse) {
  const AccessCase& c = GetParam();
  TempDir game;
  stdfs::create_directories(game.file("models"));
  writeBytes(game.file("gta_sa.exe"), "MZ");
  if (c.archive) writeBytes(game.file("models/gta3.img"), test::InstallRig::defaultArchive());
  const auto before = test::snapshotTree(game.path());

  ReadOnlyFileSystem readOnly(realFileSystem());
  FileSystem& fs = c.writable ? realFileSystem() : readOnly;
  FakeElevator elevator;
  elevator.elevated = c.rights == Rights::Elevated;
  elevator.answer = c.run;
  const std::string mod = "C:\\Mods\\My mod";
  FolderDecision d =
      decideGameFolder(fs, c.rights == Rights::NoElevator ? nullptr : &elevator, game.path(), mod);

  EXPECT_EQ(d.kind, c.kind);
  EXPECT_EQ(d.exitCode, c.exitCode);
  ASSERT_EQ(elevator.starts.size(), c.starts);
  if (c.starts) {
    EXPECT_EQ(elevator.starts[0].gameFolder, game.path());
    EXPECT_EQ(elevator.starts[0].modFolder, mod);
  }
  if (c.kind == FolderDecision::Refused) {
    const std::string head = "The game folder\r" + game.path() + "\r";
    EXPECT_EQ(d.message.rfind(head, 0), 0u) << d.message;
    EXPECT_NE(d.message.find(c.message, head.size()), std::string::npos) << d.message;
  } else {
    EXPECT_EQ(d.message, "");
  }
  // The probe changes nothing: the archive's bytes stay, and no probe file is left behind.
  EXPECT_EQ(test::snapshotTree(game.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GameFolderAccess,
    ::testing::Values(
        AccessCase{"Writable", true, true, Rights::Elevator, kEndedOk, FolderDecision::Install, 0,
                   0, ""},
        // Not a denial: the installation reports the missing archive where it reads it.
        AccessCase{"WritableWithoutArchive", true, false, Rights::Elevator, kEndedOk,
                   FolderDecision::Install, 0, 0, ""},
        AccessCase{"DeniedStartsTheElevatedCopy", false, true, Rights::Elevator, kEndedOk,
                   FolderDecision::Ended, 0, 1, ""},
        AccessCase{"DeniedWithoutArchiveStillStartsIt", false, false, Rights::Elevator, kEndedOk,
                   FolderDecision::Ended, 0, 1, ""},
        AccessCase{"TheCopysFailureIsTheProgramsExitCode",
                   false,
                   true,
                   Rights::Elevator,
                   {ElevatedRun::Ended, 1, 0},
                   FolderDecision::Ended,
                   1,
                   1,
                   ""},
        AccessCase{"DeclinedPromptStays",
                   false,
                   true,
                   Rights::Elevator,
                   {ElevatedRun::Declined, 0, 1223},
                   FolderDecision::Refused,
                   0,
                   1,
                   "needs administrator rights. Press \"Next >\" again"},
        AccessCase{"CopyNotStartedStays",
                   false,
                   true,
                   Rights::Elevator,
                   {ElevatedRun::Failed, 0, 2},
                   FolderDecision::Refused,
                   0,
                   1,
                   "needs administrator rights, and the program could not be started with them "
                   "(system error 2)"},
        AccessCase{"CopyAlsoDeniedStays",
                   false,
                   true,
                   Rights::Elevator,
                   {ElevatedRun::Ended, kExitNeedsAdmin, 0},
                   FolderDecision::Refused,
                   0,
                   1,
                   "needs administrator rights, and even with them"},
        AccessCase{"DeniedWhileElevatedStaysWithoutAStart", false, true, Rights::Elevated, kEndedOk,
                   FolderDecision::Refused, 0, 0, "needs administrator rights, and even with them"},
        AccessCase{"NoElevatorAsksForWriteAccess", false, true, Rights::NoElevator, kEndedOk,
                   FolderDecision::Refused, 0, 0, "needs write access"}),
    [](const ::testing::TestParamInfo<AccessCase>& i) { return std::string(i.param.name); });

TEST(GameFolderAccess, ALeftoverProbeFileIsReusedAndRemoved) {
  TempDir game;
  stdfs::create_directories(game.file("models"));
  writeBytes(game.file("models/gta3.img"), "VER2");
  writeBytes(game.file(kProbeFileName), "left by a crash");
  EXPECT_EQ(probeGameFolder(realFileSystem(), game.path()), FolderAccess::Writable);
  EXPECT_FALSE(stdfs::exists(game.file(kProbeFileName)));
  EXPECT_EQ(test::readBytes(game.file("models/gta3.img")), "VER2");
}

TEST(ElevatedParameters, EachArgumentComesBackUnchanged) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\Games\\GTA San Andreas", "\"C:\\Games\\GTA San Andreas\""},
      {"C:\\", "\"C:\\\\\""},  // a closing backslash is doubled, or it would escape the quote
      {"a\"b", "\"a\\\"b\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},
      {"\\\\server\\share\\x", "\"\\\\server\\share\\x\""},
      {"", "\"\""},
  };
  for (const auto& [arg, quoted] : cases) EXPECT_EQ(quoteWindowsArgument(arg), quoted) << arg;
  EXPECT_EQ(elevatedParameters("D:\\", "C:\\mod"), "--elevated-install \"D:\\\\\" \"C:\\mod\"");
#ifdef _WIN32
  // The system's own parser splits them back into the words they were.
  std::wstring line = L"tamberlin.exe " + utf8ToWide(elevatedParameters("C:\\", "x\"y\\"));
  int n = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &n);
  ASSERT_NE(argv, nullptr);
  ASSERT_EQ(n, 4);
  EXPECT_EQ(wideToUtf8(argv[1]), kElevatedInstallOption);
  EXPECT_EQ(wideToUtf8(argv[2]), "C:\\");
  EXPECT_EQ(wideToUtf8(argv[3]), "x\"y\\");
  LocalFree(argv);
#endif
}

}  // namespace
}  // namespace tamberlin
