#include "installscript/field_reader.h"

#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

FieldReader::FieldReader(std::string text, std::string source)
    : text_(std::move(text)), source_(std::move(source)) {}

bool FieldReader::skipLineEnd() {
  if (pos_ >= text_.size() || !isLineEnd(text_[pos_])) return false;
  if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  return true;
}

Field FieldReader::next() {
  if (atEnd()) throw RuntimeError(err::kInputPastEnd, source_);
  while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '"') return readQuoted();
  return readPlain();
}

Field FieldReader::readQuoted() {
  Field f;
  f.quoted = true;
  ++pos_;  // the opening quote
  while (pos_ < text_.size() && text_[pos_] != '"' && !isLineEnd(text_[pos_]))
    f.text += text_[pos_++];
  if (pos_ >= text_.size() || text_[pos_] != '"') {
    f.unclosed = true;
    skipLineEnd();
    return f;
  }
  ++pos_;  // the closing quote
  while (pos_ < text_.size() && text_[pos_] != ',' && !isLineEnd(text_[pos_])) {
    if (!isBlank(text_[pos_])) f.junkAfterQuote = true;
    ++pos_;
  }
  if (!skipLineEnd() && pos_ < text_.size()) ++pos_;  // the comma
  return f;
}

Field FieldReader::readPlain() {
  Field f;
  while (pos_ < text_.size() && text_[pos_] != ',' && !isLineEnd(text_[pos_])) {
    if (text_[pos_] == '"') f.innerQuote = true;
    f.text += text_[pos_++];
  }
  while (!f.text.empty() && isBlank(f.text.back())) f.text.pop_back();
  if (!skipLineEnd() && pos_ < text_.size()) ++pos_;  // the comma
  return f;
}

std::vector<Field> readFields(const std::string& text, std::size_t count,
                              const std::string& source) {
  FieldReader reader(text, source);
  std::vector<Field> fields;
  fields.reserve(count);
  while (fields.size() < count) fields.push_back(reader.next());
  return fields;
}

}  // namespace tamberlin
