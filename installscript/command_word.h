#pragma once
// The five command words of an install script line and how a line is recognised.

#include <cstddef>
#include <string>

namespace tamberlin {

enum class ScriptCommand { None, RepInImg, AddInImg, Delete, Add, MakeDir };

struct CommandWord {
  ScriptCommand command;
  const char* word;        ///< as the line writes it, in any letter case
  std::size_t fieldCount;  ///< operand fields the command reads
};

/// The words in the order a line is tested against them; the first match wins, so "ADDINIMG"
/// is tried before "ADD".
const CommandWord* commandWords();
constexpr std::size_t kCommandWordCount = 5;

/// The word of a command ("REPINIMG"); empty for None.
const char* commandName(ScriptCommand c);
/// The fields `c` reads (0 for None).
std::size_t fieldCount(ScriptCommand c);

/// A line taken apart: the command its first characters name, and the operand text (the line
/// less the word's characters, nothing else removed).
struct RecognisedLine {
  ScriptCommand command = ScriptCommand::None;
  std::string operand;
};

/// Recognises `line` by its first characters, without regard to letter case. A line that names
/// no command (empty, a note, an indented or misspelt word) gives None.
RecognisedLine recogniseLine(const std::string& line);

}  // namespace tamberlin
