#include "installscript/command_word.h"

#include <cstring>

namespace tamberlin {
namespace {

constexpr CommandWord kWords[kCommandWordCount] = {
    {ScriptCommand::RepInImg, "REPINIMG", 3}, {ScriptCommand::AddInImg, "ADDINIMG", 2},
    {ScriptCommand::Delete, "DELETE", 1},     {ScriptCommand::Add, "ADD", 2},
    {ScriptCommand::MakeDir, "MAKEDIR", 1},
};

char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

/// True when `line` starts with `word`, letter case ignored. Only ASCII letters fold: a byte of
/// a multi-byte character never equals a letter of a word.
bool startsWithWord(const std::string& line, const char* word) {
  std::size_t n = std::strlen(word);
  if (line.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (upperAscii(line[i]) != word[i]) return false;
  }
  return true;
}

}  // namespace

const CommandWord* commandWords() {
  return kWords;
}

const char* commandName(ScriptCommand c) {
  for (const CommandWord& w : kWords) {
    if (w.command == c) return w.word;
  }
  return "";
}

std::size_t fieldCount(ScriptCommand c) {
  for (const CommandWord& w : kWords) {
    if (w.command == c) return w.fieldCount;
  }
  return 0;
}

RecognisedLine recogniseLine(const std::string& line) {
  for (const CommandWord& w : kWords) {
    if (startsWithWord(line, w.word)) return {w.command, line.substr(std::strlen(w.word))};
  }
  return {};
}

}  // namespace tamberlin
