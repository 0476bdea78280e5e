#pragma once
// A script line as one typed command, read once for every consumer: the executor, the dry run,
// lint and the fuzz target each dispatch on it once and read fields by name.

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "installscript/command_word.h"
#include "installscript/field_reader.h"

namespace tamberlin {
namespace script {

/// A line with no characters.
struct EmptyLine {};
/// A line that names no command: a note, an indented or misspelt word. Never runs.
struct Note {
  std::string text;
};

struct RepInImg {
  static constexpr ScriptCommand kCommand = ScriptCommand::RepInImg;
  Field archive;  ///< relative to the game folder
  Field entry;    ///< the entry's name in the archive
  Field file;     ///< the replacement, as written
};
struct AddInImg {
  static constexpr ScriptCommand kCommand = ScriptCommand::AddInImg;
  Field archive;  ///< relative to the game folder
  Field file;     ///< the file to add, as written; it names the new entry
};
struct Delete {
  static constexpr ScriptCommand kCommand = ScriptCommand::Delete;
  Field pattern;  ///< relative to the game folder; "*" and "?" in its last part
};
struct Add {
  static constexpr ScriptCommand kCommand = ScriptCommand::Add;
  Field source;  ///< as written
  Field dest;    ///< relative to the game folder
};
struct MakeDir {
  static constexpr ScriptCommand kCommand = ScriptCommand::MakeDir;
  Field folder;  ///< relative to the game folder
};
/// A command line whose operand text holds fewer fields than its command reads: the executor
/// fails on it with error 62, lint and the dry run report it.
struct TooFewFields {
  ScriptCommand command = ScriptCommand::None;
  std::size_t needs = 0;
  std::vector<Field> fields;  ///< the ones there, fewer than `needs`
};

using Command =
    std::variant<EmptyLine, Note, RepInImg, AddInImg, Delete, Add, MakeDir, TooFewFields>;

struct Line {
  std::size_t number = 0;    ///< 1-based
  std::string operand;       ///< the line less its command word; empty for a note
  bool extraFields = false;  ///< text followed the fields the command reads (ignored by it)
  Command command;
};

/// Lambdas as one visitor of a Command: `std::visit(Overloaded{[](const Add&) {...}, ...}, c)`.
template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

/// "ADD needs 2 comma-separated fields, the line has 1".
std::string describe(const TooFewFields& c);

/// The command word of `c`; None for an empty line or a note.
ScriptCommand commandOf(const Command& c);

/// Line `number` read from its own text: the word recognised, then the fields read from the
/// operand text as one record.
Line parseLine(const std::string& text, std::size_t number);

/// Line `number`, recognised as `recognised`, with its fields read from `fieldText`: the operand
/// text as it comes back from the scratch file, line end included.
Line parseFields(const RecognisedLine& recognised, const std::string& fieldText,
                 std::size_t number);

}  // namespace script
}  // namespace tamberlin
