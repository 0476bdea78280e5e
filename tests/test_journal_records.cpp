// The journal's text: SHA-256 and CRC-32 against published values, fields that survive any
// bytes, and journals read back after power cuts (lost and torn appends) or hand edits.
#include <gtest/gtest.h>

#include "journal/installation.h"
#include "journal/journal_reader.h"
#include "journal/record.h"
#include "journal/sha256.h"

namespace tamberlin::journal {
namespace {

TEST(JournalHashes, MatchPublishedValues) {
  struct Case {
    std::string input;
    const char* sha256;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) EXPECT_EQ(toHex(sha256(c.input)), c.sha256) << c.input.size();
  // Fed in odd pieces, and zeros fed as zeros, give the same digest.
  std::string text(5000, '\0');
  for (std::size_t i = 0; i < 3000; ++i) text[i] = static_cast<char>(i * 7);
  Sha256 pieces;
  for (std::size_t at = 0; at < 3000; at += 61)
    pieces.update(text.substr(at, std::min<std::size_t>(61, 3000 - at)));
  pieces.zeros(2000);
  EXPECT_EQ(pieces.finish(), sha256(text));
  EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
}

TEST(JournalRecords, FieldsSurviveAnyBytes) {
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  const Record r{"file", {"", every, "a\tb\nc\\d\re", "Vice City\\models\\gta3.img"}};
  const std::string line = encodeRecord(r);
  ASSERT_EQ(line.back(), '\n');
  EXPECT_EQ(line.find('\0'), std::string::npos);
  EXPECT_EQ(line.find('\n'), line.size() - 1);
  Record back;
  ASSERT_EQ(decodeRecord(line.substr(0, line.size() - 1), back), "");
  EXPECT_EQ(back.kind, r.kind);
  EXPECT_EQ(back.fields, r.fields);

  const struct {
    std::string line;
    std::string why;
  } bad[] = {
      {"", "it does not begin with a checksum"},
      {"00000000 done\t1", "its checksum does not match"},
      {line.substr(0, line.size() - 2), "its checksum does not match"},
  };
  for (const auto& b : bad) EXPECT_EQ(decodeRecord(b.line, back), b.why) << b.line;
  std::string unescaped;
  for (const char* malformed : {"\\", "\\q", "\\x4", "\\xZZ", "a\tb"})
    EXPECT_FALSE(unescapeField(malformed, unescaped)) << malformed;
}

std::string rec(const std::string& kind, std::vector<std::string> fields = {}) {
  return encodeRecord(Record{kind, std::move(fields)});
}

std::string sha(char c) {
  return std::string(64, c);
}

/// A journal up to its "ready", with one file, one folder and one added entry.
std::string prepared() {
  std::string j =
      rec("install", {"3", "Sunset Ramps", sha('a'), "/games/sa"}) +
      rec("started", {"2026-12-07T10:00:00Z", "1"}) +
      rec("archive", {"models\\gta3.img", "3:24576"}) +
      rec("file", {"data\\x.txt", "absent", "-", sha('b') + ":5"}) +
      rec("folder", {"data\\mymod"}) +
      rec("added", {"models\\gta3.img", "7", "4", std::string(48, '6'), sha('c') + ":9"});
  const std::uint32_t crc = crc32(j);
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", crc);
  return j + rec("ready", {hex});
}

Installation parse(const std::string& bytes, std::int64_t backup = 0) {
  return parseInstallation(readJournalText(bytes), 3, backup, "J");
}

TEST(JournalReading, PowerCutsLeaveRemnantsThatArePassedOver) {
  const std::string done5 = rec("done", {"5"}), done6 = rec("done", {"6"});
  const struct {
    const char* name;
    std::string bytes;
    InstallState state;
    std::set<std::size_t> done;
  } cases[] = {
      {"whole", prepared() + done5 + done6, InstallState::Running, {5, 6}},
      {"torn last record", prepared() + done5 + done6.substr(0, 7), InstallState::Running, {5}},
      {"a lost append before a kept one",
       prepared() + std::string(done5.size(), '\0') + done6,
       InstallState::Running,
       {6}},
      {"a torn append before a kept one",
       prepared() + done5.substr(0, 4) + std::string(done5.size() - 4, '\0') + done6,
       InstallState::Running,
       {6}},
      {"preparation cut short (a record before ready lost)",
       [] {
         std::string p = prepared();
         const std::size_t at = p.find(" file\t") - 8;
         const std::size_t end = p.find('\n', at);
         return p.replace(at, end - at, std::string(end - at, '\0'));
       }(),
       InstallState::NotStarted,
       {}},
      {"stopped",
       prepared() + done5 + rec("stopped", {"6", "61", "Disk full", "d"}),
       InstallState::Stopped,
       {5}},
  };
  for (const auto& c : cases) {
    Installation in = parse(c.bytes);
    EXPECT_EQ(in.state, c.state) << c.name << ": " << in.damage;
    EXPECT_EQ(in.done, c.done) << c.name;
  }
}

TEST(JournalReading, DamagedAndHostileJournalsAreRefusedWithLineAndReason) {
  const std::string p = prepared();
  auto item = [](const std::string& kind, std::vector<std::string> f) {
    return rec(kind, std::move(f));
  };
  const struct {
    const char* name;
    std::string bytes;
    std::string damage;  ///< expected at the start of the text after the line number
  } cases[] = {
      {"empty", "", "J: it holds no record"},
      {"not beginning with install", rec("done", {"1"}), "J line 1: the first record is not"},
      {"another installation's number", rec("install", {"4", "m", sha('a'), "g"}),
       "J line 1: it names installation 4"},
      {"an edited record", p + "00000000 done\t5\n" + rec("done", {"6"}),
       "J line 8: its checksum does not match"},
      {"an unknown kind", p + item("format", {"c:"}), "J line 8: the kind of record \"format\""},
      {"a missing field", p + item("done", {}), "J line 8: a \"done\" record has 0 fields"},
      {"a bad number", p + item("done", {"-1"}), "J line 8: a line is not a number"},
      {"a path outside the game folder",
       p + item("file", {"..\\..\\boot.ini", "absent", "-", sha('1') + ":1"}),
       "J line 8: the file \"..\\..\\boot.ini\" is not a game path"},
      {"an absolute path", p + item("file", {"\\etc\\passwd", "absent", "-", sha('1') + ":1"}),
       "J line 8: the file \"\\etc\\passwd\" is not a game path"},
      {"a drive", p + item("folder", {"C:\\Windows"}),
       "J line 8: the folder \"C:\\Windows\" is not"},
      {"our own folder",
       p + item("file",
                {"tamberlin.\\installs\\0001\\journal.txt", "absent", "-", sha('1') + ":1"}),
       "J line 8: the file \"tamberlin.\\installs"},
      {"its short name", p + item("folder", {"TAMBER~1\\installs"}),
       "J line 8: the folder \"TAMBER~1"},
      {"a backup past backup.dat",
       p + item("file", {"a.txt", sha('1') + ":100", "dat:0", "absent"}),
       "J line 8: its backup lies past the end of backup.dat"},
      {"a moved file outside deleted",
       p + item("file", {"a.txt", sha('1') + ":1", "deleted:..\\x", "absent"}),
       "J line 8: the moved file's name"},
      {"a second pre-image", p + item("file", {"data\\X.TXT", sha('1') + ":1", "-", "absent"}),
       "J line 8: two records give data\\X.TXT different states before"},
      {"an entry of an unrecorded archive",
       p + item("entry",
                {"models\\other.img", "1", std::string(64, '0'), sha('1'), "0", sha('2') + ":1"}),
       "J line 8: the archive models\\other.img has no \"archive\" record"},
      {"done before ready", rec("install", {"3", "m", sha('a'), "g"}) + item("done", {"1"}),
       "J line 2: a \"done\" record comes before"},
      {"records after a ready that does not match",
       [] {
         std::string q = prepared();
         q.replace(q.find("Sunset"), 6, "Sunrise");
         return q;
       }(),
       "J line 1: its checksum"},
  };
  for (const auto& c : cases) {
    Installation in = parse(c.bytes, 10);
    EXPECT_EQ(in.state, InstallState::Damaged) << c.name;
    EXPECT_EQ(in.damage.rfind(c.damage, 0), 0u) << c.name << ": " << in.damage;
  }
}

TEST(JournalReading, LaterRecordsAddStatesToTheSameItem) {
  Installation in = parse(prepared() + rec("file", {"DATA/x.txt", "absent", "-", "absent"}) +
                          rec("file", {"data\\X.TXT", "absent", "-", "absent," + sha('d') + ":2"}));
  // A path spelt with "/" is no game path in the journal's form.
  EXPECT_EQ(in.state, InstallState::Damaged);
  in = parse(prepared() + rec("file", {"data\\X.TXT", "absent", "-", "absent," + sha('d') + ":2"}) +
             rec("complete", {"d"}));
  ASSERT_EQ(in.state, InstallState::Complete) << in.damage;
  ASSERT_EQ(in.files.size(), 1u);
  EXPECT_EQ(in.files[0].own.size(), 3u);
  EXPECT_EQ(in.mod, "Sunset Ramps");
  EXPECT_EQ(in.folders.size(), 1u);
  ASSERT_EQ(in.added.size(), 1u);
  EXPECT_EQ(in.added[0].slot, 4);
  EXPECT_EQ(in.itemCount(), 3u);
}

}  // namespace
}  // namespace tamberlin::journal
