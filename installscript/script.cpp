#include "installscript/script.h"

#include <utility>

namespace tamberlin {
namespace script {
namespace {

/// The command `c` made of `f`, which holds exactly the fields `c` reads.
Command commandFrom(ScriptCommand c, std::vector<Field>& f) {
  switch (c) {
    case ScriptCommand::RepInImg:
      return RepInImg{std::move(f[0]), std::move(f[1]), std::move(f[2])};
    case ScriptCommand::AddInImg:
      return AddInImg{std::move(f[0]), std::move(f[1])};
    case ScriptCommand::Delete:
      return Delete{std::move(f[0])};
    case ScriptCommand::Add:
      return Add{std::move(f[0]), std::move(f[1])};
    case ScriptCommand::MakeDir:
      return MakeDir{std::move(f[0])};
    case ScriptCommand::None:
      break;
  }
  return EmptyLine{};
}

struct CommandWordOf {
  ScriptCommand operator()(const EmptyLine&) const { return ScriptCommand::None; }
  ScriptCommand operator()(const Note&) const { return ScriptCommand::None; }
  ScriptCommand operator()(const TooFewFields& f) const { return f.command; }
  template <class C>
  ScriptCommand operator()(const C&) const {
    return C::kCommand;
  }
};

}  // namespace

ScriptCommand commandOf(const Command& c) {
  return std::visit(CommandWordOf{}, c);
}

Line parseLine(const std::string& text, std::size_t number) {
  RecognisedLine recognised = recogniseLine(text);
  if (recognised.command != ScriptCommand::None)
    return parseFields(recognised, recognised.operand + "\r\n", number);
  Line line;
  line.number = number;
  if (text.empty())
    line.command = EmptyLine{};
  else
    line.command = Note{text};
  return line;
}

Line parseFields(const RecognisedLine& recognised, const std::string& fieldText,
                 std::size_t number) {
  Line line;
  line.number = number;
  line.operand = recognised.operand;
  const std::size_t needs = fieldCount(recognised.command);
  FieldReader reader(fieldText);
  std::vector<Field> fields;
  while (fields.size() < needs && !reader.atEnd()) fields.push_back(reader.next());
  if (fields.size() < needs) {
    line.command = TooFewFields{recognised.command, needs, std::move(fields)};
    return line;
  }
  line.extraFields = !reader.atEnd();
  line.command = commandFrom(recognised.command, fields);
  return line;
}

std::string describe(const TooFewFields& c) {
  return std::string(commandName(c.command)) + " needs " + std::to_string(c.needs) +
         " comma-separated fields, the line has " + std::to_string(c.fields.size());
}

}  // namespace script
}  // namespace tamberlin
