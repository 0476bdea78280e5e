#pragma once
// The platform's field reader, as a script command's operands are read back from the scratch
// file: comma-separated fields, blanks before a field skipped, double-quoted fields that may hold
// commas and blanks. Works on decoded text (UTF-8); line ends are CR, CR LF or a lone LF.

#include <cstddef>
#include <string>
#include <vector>

namespace tamberlin {

/// One field as read, with what a mod author may want to hear about it.
struct Field {
  std::string text;
  bool quoted = false;          ///< began with a double quote
  bool unclosed = false;        ///< quoted, but the line ended before the closing quote
  bool junkAfterQuote = false;  ///< characters between the closing quote and the next comma
  bool innerQuote = false;      ///< an unquoted field holding a double quote (kept as a character)
};

/// Reads fields one after another from a text such as "a.dff, \"my car.txd\"\r\n".
///
/// Rules, field by field:
/// - Blanks (spaces and tabs) before a field are skipped.
/// - A field that begins with a double quote runs to the next double quote, which is not part of
///   it; what follows up to the next comma is skipped. A quote that does not close before the
///   line's end runs to the line's end.
/// - Any other field runs to the next comma or the line's end. Blanks at its end are dropped
///   (the platform's reader drops them too; a file name never ends in a blank on the game's
///   system). A double quote inside it is an ordinary character.
/// - A comma or a line end ends the field; a line end also ends the record, and the next field
///   is read from the next line. A line that is empty, or that ends right after a comma, gives
///   one empty field.
/// - Asking for a field when the text is used up is error 62 ("Input past end of file").
class FieldReader {
 public:
  explicit FieldReader(std::string text, std::string source = "installing.tmp");

  /// True when no character is left: the next `next()` fails.
  bool atEnd() const { return pos_ >= text_.size(); }

  /// The next field. Throws RuntimeError 62 naming the source when the text is used up.
  Field next();

 private:
  Field readQuoted();
  Field readPlain();
  /// Consumes a line end at the current position, if there is one.
  bool skipLineEnd();

  std::string text_;
  std::string source_;
  std::size_t pos_ = 0;
};

/// Reads exactly `count` fields from `text` (error 62 naming `source` when fewer are there).
std::vector<Field> readFields(const std::string& text, std::size_t count,
                              const std::string& source = "installing.tmp");

}  // namespace tamberlin
