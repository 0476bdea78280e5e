#include "app/img_rebuild.h"

#include "app/img_actions.h"
#include "app/progress_bar.h"
#include "imgarchive/rebuild.h"
#include "platform/text_writer.h"

namespace tamberlin {
namespace {

void printSummary(TextWriter& out, const std::string& path, const RebuildSummary& s) {
  out << "Rebuilt " << path << ": " << groupedNumber(s.entries) << " entries\n"
      << "  size before:       " << groupedNumber(static_cast<std::uint64_t>(s.sizeBefore))
      << " bytes\n"
      << "  size after:        " << groupedNumber(static_cast<std::uint64_t>(s.sizeAfter))
      << " bytes\n"
      << "  holes removed:     " << groupedNumber(s.holesRemoved) << " bytes\n"
      << "  contiguity breaks: " << groupedNumber(s.breaksBefore) << " before, "
      << groupedNumber(s.breaksAfter) << " after\n";
}

}  // namespace

int imgRebuild(ImgContext& c, const std::string& archive) {
  // A bar redrawn in place only where the error stream is the terminal itself.
  ProgressBar bar(c.err, c.err.writesTo(stderr) && stderrIsTerminal(), "rebuild");
  RebuildSummary s;
  try {
    s = rebuildArchive(c.fs, archive,
                       [&](std::uint64_t done, std::uint64_t total) { bar.update(done, total); });
  } catch (...) {
    bar.finish();
    throw;
  }
  bar.finish();
  printSummary(c.out, archive, s);
  return 0;
}

}  // namespace tamberlin
