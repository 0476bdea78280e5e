#include <gtest/gtest.h>

#include "installscript/script.h"

namespace tamberlin {
namespace {

using namespace script;
using Strings = std::vector<std::string>;

/// The command's word and its fields by name, in the order the line writes them.
struct Seen {
  ScriptCommand command = ScriptCommand::None;
  bool tooFew = false;
  Strings fields;
  std::string note;
};

Seen seen(const Command& command) {
  return std::visit(
      Overloaded{
          [](const RepInImg& c) {
            return Seen{c.kCommand, false, {c.archive.text, c.entry.text, c.file.text}, ""};
          },
          [](const AddInImg& c) {
            return Seen{c.kCommand, false, {c.archive.text, c.file.text}, ""};
          },
          [](const Delete& c) {
            return Seen{c.kCommand, false, {c.pattern.text}, ""};
          },
          [](const Add& c) {
            return Seen{c.kCommand, false, {c.source.text, c.dest.text}, ""};
          },
          [](const MakeDir& c) {
            return Seen{c.kCommand, false, {c.folder.text}, ""};
          },
          [](const TooFewFields& c) {
            Seen s{c.command, true, {}, ""};
            for (const Field& f : c.fields) s.fields.push_back(f.text);
            EXPECT_EQ(c.needs, fieldCount(c.command));
            return s;
          },
          [](const EmptyLine&) { return Seen{}; },
          [](const Note& c) {
            return Seen{ScriptCommand::None, false, {}, c.text};
          },
      },
      command);
}

TEST(ScriptLine, EachLineBecomesOneTypedCommand) {
  using C = ScriptCommand;
  struct Case {
    const char* line;
    C command;
    bool tooFew;
    Strings fields;
    bool extra;
  };
  const Case cases[] = {
      {"REPINIMG \\models\\gta3.img, car.dff, \"my files\\car, v2.dff\"",
       C::RepInImg,
       false,
       {"\\models\\gta3.img", "car.dff", "my files\\car, v2.dff"},
       false},
      {"addinimg models\\gta3.img,mods\\a.col",
       C::AddInImg,
       false,
       {"models\\gta3.img", "mods\\a.col"},
       false},
      {"Delete data\\*.bak", C::Delete, false, {"data\\*.bak"}, false},
      {"ADD a.txt ,  b.txt", C::Add, false, {"a.txt", "b.txt"}, false},
      {"MakeDir mods", C::MakeDir, false, {"mods"}, false},
      // The word alone gives one empty field: enough for one-field commands only.
      {"MAKEDIR", C::MakeDir, false, {""}, false},
      {"ADD", C::Add, true, {""}, false},
      {"ADD a.txt", C::Add, true, {"a.txt"}, false},
      {"REPINIMG \"x.img, a.dff, b.dff", C::RepInImg, true, {"x.img, a.dff, b.dff"}, false},
      {"ADD a.txt, b.txt, c.txt", C::Add, false, {"a.txt", "b.txt"}, true},
      {"ADD a.txt, b.txt,", C::Add, false, {"a.txt", "b.txt"}, true},
      // Only the first characters are compared: a run-on word is the shorter command.
      {"ADDIMG x.img, y.col", C::Add, false, {"IMG x.img", "y.col"}, false},
      {"ADDINIMG x.img, y.col", C::AddInImg, false, {"x.img", "y.col"}, false},
  };
  for (const Case& c : cases) {
    const Line line = parseLine(c.line, 7);
    const Seen s = seen(line.command);
    EXPECT_EQ(line.number, 7u) << c.line;
    EXPECT_EQ(commandOf(line.command), c.command) << c.line;
    EXPECT_EQ(s.command, c.command) << c.line;
    EXPECT_EQ(s.tooFew, c.tooFew) << c.line;
    EXPECT_EQ(s.fields, c.fields) << c.line;
    EXPECT_EQ(line.extraFields, c.extra) << c.line;
  }

  for (const char* note : {" ADD a.txt, b.txt", "\tMAKEDIR x", "; ADD a, b", "AD", "MAKE DIR x"}) {
    const Line line = parseLine(note, 1);
    ASSERT_TRUE(std::holds_alternative<Note>(line.command)) << note;
    EXPECT_EQ(std::get<Note>(line.command).text, note);
  }
  EXPECT_TRUE(std::holds_alternative<EmptyLine>(parseLine("", 1).command));
}

TEST(ScriptLine, FieldsKeepWhatTheReaderNoticed) {
  const Line line = parseLine("REPINIMG \"a.img\"x, b\"c.dff, \"d.dff", 1);
  const auto& c = std::get<RepInImg>(line.command);
  EXPECT_TRUE(c.archive.quoted && c.archive.junkAfterQuote);
  EXPECT_TRUE(!c.entry.quoted && c.entry.innerQuote);
  EXPECT_TRUE(c.file.quoted && c.file.unclosed);
  EXPECT_EQ(c.file.text, "d.dff");
}

TEST(ScriptLine, FieldsReadBackFromTheScratchFileFollowItsLineEnds) {
  // The scratch file holds the operand text and a line end; what follows a line end is another
  // record, still read as fields (the platform's reader goes on into it).
  const RecognisedLine add = recogniseLine("ADD a.txt");
  EXPECT_TRUE(std::holds_alternative<TooFewFields>(parseFields(add, " a.txt\r\n", 3).command));
  const Line two = parseFields(add, " a.txt\r\nb.txt\r\n", 3);
  EXPECT_EQ(seen(two.command).fields, (Strings{"a.txt", "b.txt"}));
  EXPECT_EQ(two.operand, " a.txt");
  EXPECT_EQ(two.number, 3u);
}

}  // namespace
}  // namespace tamberlin
