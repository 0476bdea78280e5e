// Whole installations of scripts saved in other code pages: the names in the script, on disk and
// in the archive must all be the same characters.
#include <gtest/gtest.h>

#include <string>

#include "imgarchive/img_archive.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "support/install_rig.h"
#include "support/scoped_code_page.h"

namespace tamberlin::test {
namespace {

/// One word in a code page: its bytes there and the same text in UTF-8.
struct Word {
  std::string ansi, utf8;
};

struct CodePageCase {
  const char* name;
  unsigned codePage;
  Word dir, file, pattern, added, entry, source;  ///< pattern: the upper case of file + "2*"
};

void PrintTo(const CodePageCase& c, std::ostream* os) {
  *os << c.name;
}

// Bytes spelt out, not made by the converter under test. In code page 932 the second byte of
// "ソ", "表", "能" and "予" is 0x5C, the byte of "\".
const CodePageCase kCases[] = {
    {"cp1251",
     1251,
     {"\xcc\xee\xe4\xfb", "Моды"},
     {"\xf4\xe0\xe9\xeb", "файл"},
     {"\xd4\xc0\xc9\xcb\x32\x2a", "ФАЙЛ2*"},
     {"\xec\xe0\xf8\xe8\xed\xe0", "машина"},
     {"\xf2\xe0\xed\xea", "танк"},
     {"\xe7\xe0\xec\xe5\xed\xe0", "замена"}},
    {"cp1250",
     1250,
     {"\x8f\x72\xf3\x64\xb3\x61", "Źródła"},
     {"\xb3\xf3\x64\x9f", "łódź"},
     {"\xa3\xd3\x44\x8f\x32\x2a", "ŁÓDŹ2*"},
     {"\xbf\xf3\xb3\x77", "żółw"},
     {"\x6a\x65\xbf", "jeż"},
     {"\x9f\x72\x65\x62\x69\xea", "źrebię"}},
    {"cp932",
     932,
     {"\x83\x5c\x83\x74\x83\x67", "ソフト"},
     {"\x95\x5c\x8e\xa6", "表示"},
     {"\x95\x5c\x8e\xa6\x32\x2a", "表示2*"},
     {"\x83\x5c", "ソ"},
     {"\x94\x5c", "能"},
     {"\x97\x5c\x92\xe8", "予定"}},
};

void writeFile(const std::string& path, const std::string& bytes) {
  auto f = realFileSystem().open(path, OpenMode::Create);
  f->write(1, bytes.data(), bytes.size());
  f->close();
}

std::string readFile(const std::string& path) {
  auto f = realFileSystem().open(path, OpenMode::Read);
  std::string bytes(static_cast<std::size_t>(f->length()), '\0');
  bytes.resize(f->read(1, bytes.data(), bytes.size()));
  return bytes;
}

class CodePageInstall : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageInstall, NamesAreTheScriptsCharacters) {
  const CodePageCase& c = GetParam();
  ScopedCodePage cp(c.codePage);
  const std::string entry = c.entry.ansi + ".dff";
  InstallRig rig(makeArchive({{4, 1, "a.dff"}, {5, 1, nameField(entry)}}, 6 * 2048));
  writeFile(rig.modFile(c.file.utf8 + ".txt"), "text");
  writeFile(rig.modFile(c.added.utf8 + ".dff"), "added");
  writeFile(rig.modFile(c.source.utf8 + ".dff"), "replacement");
  const std::string d = c.dir.ansi, f = c.file.ansi;
  rig.writeScript("MAKEDIR " + d + "\r\n" +                                    //
                  "ADD " + f + ".txt, " + d + "\\" + f + ".txt\r\n" +          //
                  "ADD " + f + ".txt, " + d + "\\" + f + "2.txt\r\n" +         //
                  "DELETE " + d + "\\" + c.pattern.ansi + "\r\n" +             //
                  "ADDINIMG models\\gta3.img, " + c.added.ansi + ".dff\r\n" +  //
                  "REPINIMG models\\gta3.img, " + entry + ", " + c.source.ansi + ".dff\r\n");

  InstallOutcome o = rig.install();
  ASSERT_TRUE(o.completed) << o.error << " " << o.detail;
  const std::string dir = rig.gameFile(c.dir.utf8);
  EXPECT_TRUE(realFileSystem().stat(dir).isDir);
  EXPECT_EQ(readFile(dir + "/" + c.file.utf8 + ".txt"), "text");
  EXPECT_FALSE(realFileSystem().stat(dir + "/" + c.file.utf8 + "2.txt").exists);
  EXPECT_EQ(realFileSystem().list(dir).size(), 1u) << "nothing made under a name cut at a 0x5C";
  const std::string archive = readBytes(rig.archivePath());
  Parsed p = parseArchive(archive);
  ASSERT_EQ(p.count, 3u);
  EXPECT_EQ(p.records[2].name, nameField(c.added.ansi + ".dff")) << "stored as the script's bytes";
  EXPECT_EQ(dataOf(archive, p.records[2], 5), "added");
  EXPECT_EQ(dataOf(archive, p.records[1], 11), "replacement");
  EXPECT_EQ(p.records[1].name, nameField(entry));
}

INSTANTIATE_TEST_SUITE_P(CodePages, CodePageInstall, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CodePageInstallErrors, BytesThatAreNoCharacterStopTheirLine) {
  // 0x85 0x5C is no character of code page 932: never a name ending in "\" and a second name.
  ScopedCodePage cp(932);
  InstallRig rig;
  writeFile(rig.modFile("a.txt"), "text");
  rig.writeScript("MAKEDIR ok\r\nADD a.txt, ok\\x\x85\x5cy.txt\r\n");
  InstallOutcome o = rig.install();
  EXPECT_EQ(o.error, err::kBadFileNameOrNumber);
  EXPECT_EQ(o.detail,
            "ins.cfg line 2: installing.tmp cannot take \" a.txt, ok\\x\xef\xbf\xbdy.txt\": it "
            "holds bytes that are no character of code page 932");
  EXPECT_TRUE(realFileSystem().list(rig.gameFile("ok")).empty());
}

TEST(CodePageInstallErrors, AnEntryNameTheCodePageCannotHoldIsRefused) {
  ScopedCodePage cp(1251);
  InstallRig rig;
  writeFile(rig.modFile("new.dff"), "added");
  const std::string before = readBytes(rig.archivePath());
  ImgArchive archive(realFileSystem());
  archive.read(rig.archivePath());
  try {
    archive.add(rig.modFile("new.dff"), "caf\xc3\xa9.dff");
    FAIL() << "a name with \"e\" acute was stored in code page 1251";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kBadFileNameOrNumber);
    EXPECT_EQ(e.detail(),
              "the entry name \"caf\xc3\xa9.dff\" holds \"\xc3\xa9\" (U+00E9), which code page "
              "1251 cannot hold");
  }
  EXPECT_EQ(readBytes(rig.archivePath()), before);
  EXPECT_EQ(archive.add(rig.modFile("new.dff"), "\xd0\xb6.dff"), 4) << "Cyrillic is fine";
}

}  // namespace
}  // namespace tamberlin::test
