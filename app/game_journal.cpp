#include "app/game_journal.h"

#include "installscript/game_folder.h"
#include "journal/layout.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_writer.h"
#include "platform/win_path.h"

namespace tamberlin {

std::optional<std::vector<journal::Installation>> readInstallations(FileSystem& fs,
                                                                    const std::string& command,
                                                                    const std::string& dir) {
  const std::string prefix = "tamberlin " + command + ": ";
  try {
    if (!fs.stat(dir).isDir) {
      standardErr() << prefix << displayPath(dir) << " is not a folder\n";
      return std::nullopt;
    }
    fs.list(dir);  // a folder that refuses its listing is said to be unreadable, not empty
    return journal::loadInstallations(fs, dir);
  } catch (const RuntimeError& e) {
    standardErr() << prefix << displayPath(dir) << " cannot be read: error " << e.number() << ": "
                  << e.text() << "\n";
    return std::nullopt;
  }
}

std::string noInstallationsText(FileSystem& fs, const std::string& dir) {
  std::string text = "no installations recorded in " + displayPath(dir);
  if (!holdsGame(fs, dir))
    text += std::string(" (it holds no ") + kGameProgram + ": is it the game's folder?)";
  return text;
}

std::string journalPathOf(const journal::Installation& in) {
  return displayPath(in.folder + "\\" + journal::kJournalFile);
}

std::string damageOf(const journal::Installation& in) {
  const std::string path = in.folder + "\\" + journal::kJournalFile;
  if (in.damage.rfind(path, 0) != 0) return in.damage;
  std::string rest = in.damage.substr(path.size());
  if (rest.rfind(": ", 0) == 0) rest.erase(0, 2);
  if (rest.rfind(" ", 0) == 0) rest.erase(0, 1);
  return rest;
}

}  // namespace tamberlin
