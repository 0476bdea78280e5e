#pragma once
// The actions of `tamberlin img`: each runs the archive core on one archive for one command and
// returns the exit code (0 done, 1 failed). Results go to `out`; copy progress to `status`.
// A failure throws RuntimeError (the command prints it); the archive is then as it was.

#include <string>

namespace tamberlin {

class FileSystem;
class StatusLine;
class TextWriter;

struct ImgContext {
  FileSystem& fs;
  StatusLine& status;
  TextWriter& out;
  TextWriter& err;
};

int imgList(ImgContext& c, const std::string& archive);
int imgAdd(ImgContext& c, const std::string& archive, const std::string& file,
           const std::string& name);
int imgReplace(ImgContext& c, const std::string& archive, const std::string& name,
               const std::string& file);
int imgExtract(ImgContext& c, const std::string& archive, const std::string& name,
               const std::string& outPath);
int imgCheck(ImgContext& c, const std::string& archive);

}  // namespace tamberlin
