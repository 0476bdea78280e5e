#include "app/progress_bar.h"

#ifdef _WIN32
#include <io.h>
#define TAMBERLIN_ISATTY _isatty
#define TAMBERLIN_STDERR 2
#else
#include <unistd.h>
#define TAMBERLIN_ISATTY ::isatty
#define TAMBERLIN_STDERR STDERR_FILENO
#endif

namespace tamberlin {
namespace {

constexpr int kBarWidth = 40;

std::string bar(std::uint64_t done, std::uint64_t total) {
  auto filled = static_cast<int>(done * kBarWidth / total);
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "]";
}

std::string percent(std::uint64_t done, std::uint64_t total) {
  std::uint64_t pm = done * 1000 / total;
  return std::to_string(pm / 10) + "." + std::to_string(pm % 10) + "%";
}

}  // namespace

ProgressBar::ProgressBar(TextWriter& out, bool interactive, std::string label)
    : out_(out), interactive_(interactive), label_(std::move(label)) {
  if (!interactive_) shown_ = 0;  // lines from the first tenth on
}

void ProgressBar::update(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return;
  if (done > total) done = total;
  long step = static_cast<long>(done * (interactive_ ? 1000 : 10) / total);
  if (step == shown_) return;
  shown_ = step;
  std::string amount = groupedNumber(done) + " of " + groupedNumber(total) + " bytes";
  if (interactive_) {
    out_ << "\r" << label_ << " " << bar(done, total) << " " << percent(done, total) << "  "
         << amount;
    out_.flush();
    open_ = true;
  } else {
    out_ << label_ << ": " << percent(done, total) << " (" << amount << ")\n";
    out_.flush();
  }
}

void ProgressBar::finish() {
  if (open_) {
    out_ << "\n";
    out_.flush();
  }
  open_ = false;
}

bool stderrIsTerminal() {
  return TAMBERLIN_ISATTY(TAMBERLIN_STDERR) != 0;
}

std::string groupedNumber(std::uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace tamberlin
