#include "facade/form1_install.h"

#include "journal/install_journal.h"

namespace tamberlin {

Form1Install::Form1Install(FileSystem& fs, MessageBoxes& boxes, StatusLine& label2,
                           InstallWindow& window)
    : insLines(kMaxLines),
      module1(fs, label2, List1, boxes),
      fs_(fs),
      boxes_(boxes),
      label2_(label2),
      window_(window),
      archives_(fs, label2, boxes) {}

Form1Install::~Form1Install() = default;

}  // namespace tamberlin
