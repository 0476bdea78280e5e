// Building an installation from its journal's records. Every field is checked before it is
// believed: numbers, hashes, paths (game paths in the journal's form only), backup ranges inside
// backup.dat (which a finished uninstall removes), names of moved files inside deleted\. The
// first failure makes the whole journal damaged, naming the line and what is wrong.
#include "journal/installation.h"

#include <map>

#include "journal/game_path.h"
#include "journal/hex.h"
#include "journal/layout.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"

namespace tamberlin::journal {
namespace {

struct Bad {
  std::string what;
};

std::int64_t number(const std::string& text, std::int64_t max, const char* what) {
  if (text.empty() || text.size() > 15) throw Bad{std::string(what) + " is not a number"};
  std::int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') throw Bad{std::string(what) + " is not a number"};
    v = v * 10 + (c - '0');
  }
  if (v > max) throw Bad{std::string(what) + " is out of range"};
  return v;
}

std::string gamePath(const std::string& text, const char* what) {
  std::string why = gamePathProblem(text);
  if (!why.empty())
    throw Bad{std::string(what) + " \"" + text + "\" is not a game path (" + why + ")"};
  return text;
}

std::vector<std::string> splitList(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(',', start);
    out.push_back(
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

std::vector<FileState> fileStates(const std::string& text) {
  std::vector<FileState> out;
  for (const std::string& s : splitList(text)) {
    FileState st;
    if (!parseFileState(s, st)) throw Bad{"a file state \"" + s + "\" is malformed"};
    out.push_back(st);
  }
  return out;
}

std::vector<DataState> dataStates(const std::string& text) {
  std::vector<DataState> out;
  for (const std::string& s : splitList(text)) {
    DataState st;
    if (!parseDataState(s, st)) throw Bad{"a data state \"" + s + "\" is malformed"};
    out.push_back(st);
  }
  return out;
}

template <class T>
void addAll(std::vector<T>& into, const std::vector<T>& more) {
  for (const T& m : more) {
    bool have = false;
    for (const T& t : into) have = have || t == m;
    if (!have) into.push_back(m);
  }
}

class Parser {
 public:
  Parser(Installation& in) : in_(in) {}
  void line(const JournalLine& l, bool last);
  /// After the last line: "line N: ..." when a backup range lies past the end of backup.dat,
  /// which damages the journal unless an uninstall finished with nothing left (it removes the
  /// backup); empty otherwise.
  std::string backupProblem() const {
    if (pastBackupLine_ == 0 || (in_.state == InstallState::Uninstalled && in_.itemsLeft == 0))
      return {};
    return "line " + std::to_string(pastBackupLine_) + ": " + pastBackup_;
  }

 private:
  void need(const Record& r, std::size_t n) {
    if (r.fields.size() != n)
      throw Bad{"a \"" + r.kind + "\" record has " + std::to_string(r.fields.size()) +
                " fields instead of " + std::to_string(n)};
  }
  void requireReady(const Record& r) {
    if (!ready_) throw Bad{"a \"" + r.kind + "\" record comes before the installation was ready"};
  }
  void install(const Record& r);
  void file(const Record& r);
  void folder(const Record& r);
  void archive(const Record& r);
  void entry(const Record& r);
  void added(const Record& r);
  void closing(const Record& r);
  void closed(const Record& r);
  void ready(const JournalLine& l, bool last);
  void stateRecord(const Record& r);
  Backup backup(const std::string& text, std::int64_t bytes);
  std::string archivePath(const std::string& text);
  void checkInBackup(std::int64_t end, const char* what) {
    if (end <= in_.backupSize || pastBackupLine_ != 0) return;
    pastBackupLine_ = line_;
    pastBackup_ = std::string(what) + " lies past the end of " + kBackupFile;
  }

  Installation& in_;
  std::size_t line_ = 0;
  std::size_t pastBackupLine_ = 0;
  std::string pastBackup_;
  bool haveInstall_ = false;
  bool ready_ = false;
  std::map<std::string, std::size_t> files_, folders_, archives_, entries_, added_;
};

void Parser::line(const JournalLine& l, bool last) {
  const Record& r = l.record;
  line_ = l.number;
  if (!haveInstall_ && r.kind != "install") throw Bad{"the first record is not \"install\""};
  if (r.kind == "install") return install(r);
  if (r.kind == "file") return file(r);
  if (r.kind == "folder") return folder(r);
  if (r.kind == "archive") return archive(r);
  if (r.kind == "entry") return entry(r);
  if (r.kind == "added") return added(r);
  if (r.kind == "ready") return ready(l, last);
  if (r.kind == "closing") return closing(r);
  if (r.kind == "closed") return closed(r);
  return stateRecord(r);
}

void Parser::install(const Record& r) {
  if (haveInstall_) throw Bad{"a second \"install\" record"};
  need(r, 4);
  haveInstall_ = true;
  if (number(r.fields[0], 999999999, "the installation's number") != in_.number)
    throw Bad{"it names installation " + r.fields[0] + ", not its own folder's number"};
  in_.mod = r.fields[1];
  if (!fromHex(r.fields[2], in_.script)) throw Bad{"the script's hash is malformed"};
  in_.gameFolder = r.fields[3];
}

std::string Parser::archivePath(const std::string& text) {
  std::string path = gamePath(text, "the archive");
  if (!archives_.count(pathKey(path)))
    throw Bad{"the archive " + path + " has no \"archive\" record"};
  return path;
}

Backup Parser::backup(const std::string& text, std::int64_t bytes) {
  Backup b;
  if (text == "-") return b;
  if (text.rfind("dat:", 0) == 0) {
    b.kind = Backup::Kind::Dat;
    b.offset = number(text.substr(4), INT64_MAX / 4, "a backup offset");
    checkInBackup(b.offset + bytes, "its backup");
    return b;
  }
  if (text.rfind("deleted:", 0) == 0) {
    b.kind = Backup::Kind::Deleted;
    b.name = text.substr(8);
    if (!gamePathProblem(b.name).empty() || b.name.find('\\') != std::string::npos)
      throw Bad{"the moved file's name \"" + b.name + "\" is not a plain name"};
    return b;
  }
  throw Bad{"the backup \"" + text + "\" is malformed"};
}

void Parser::file(const Record& r) {
  need(r, 4);
  FileItem f;
  f.path = gamePath(r.fields[0], "the file");
  if (!parseFileState(r.fields[1], f.pre)) throw Bad{"the file's state before is malformed"};
  f.backup = backup(r.fields[2], f.pre.size);
  if (f.backup.kind != Backup::Kind::None && !f.pre.present)
    throw Bad{"a file that was not there has a backup"};
  f.own = fileStates(r.fields[3]);
  auto [it, fresh] = files_.emplace(pathKey(f.path), in_.files.size());
  if (fresh) return in_.files.push_back(std::move(f));
  FileItem& known = in_.files[it->second];
  if (known.pre != f.pre) throw Bad{"two records give " + f.path + " different states before"};
  if (f.backup.kind != Backup::Kind::None) known.backup = f.backup;  // moved under a new name
  addAll(known.own, f.own);
}

void Parser::folder(const Record& r) {
  need(r, 1);
  FolderItem f{gamePath(r.fields[0], "the folder")};
  if (folders_.emplace(pathKey(f.path), in_.folders.size()).second) in_.folders.push_back(f);
}

void Parser::archive(const Record& r) {
  need(r, 2);
  ArchiveItem a;
  a.path = gamePath(r.fields[0], "the archive");
  if (r.fields[1] != "absent") {
    const std::size_t colon = r.fields[1].find(':');
    if (colon == std::string::npos) throw Bad{"the archive's state before is malformed"};
    a.existed = true;
    a.count = static_cast<std::int32_t>(number(r.fields[1].substr(0, colon), INT32_MAX, "a count"));
    a.length = number(r.fields[1].substr(colon + 1), INT64_MAX / 4, "a length");
  }
  auto [it, fresh] = archives_.emplace(pathKey(a.path), in_.archives.size());
  if (fresh) return in_.archives.push_back(a);
  const ArchiveItem& known = in_.archives[it->second];
  if (known.existed != a.existed || known.count != a.count || known.length != a.length)
    throw Bad{"two records give the archive " + a.path + " different states before"};
}

void Parser::entry(const Record& r) {
  need(r, 6);
  EntryItem e;
  e.archive = archivePath(r.fields[0]);
  e.slot = static_cast<std::int32_t>(number(r.fields[1], INT32_MAX, "a slot"));
  if (e.slot < 1) throw Bad{"a slot is 0"};
  if (!parseHex(r.fields[2], e.record.data(), e.record.size())) throw Bad{"a record is malformed"};
  if (!fromHex(r.fields[3], e.preHash)) throw Bad{"an entry's hash is malformed"};
  e.backupOffset = number(r.fields[4], INT64_MAX / 4, "a backup offset");
  // A backup a power cut lost is no damage: the old data may still be in place, and an undo
  // checks the backup's hash before it uses it.
  e.own = dataStates(r.fields[5]);
  const std::string key = pathKey(e.archive) + "#" + std::to_string(e.slot);
  auto [it, fresh] = entries_.emplace(key, in_.entries.size());
  if (fresh) return in_.entries.push_back(std::move(e));
  EntryItem& known = in_.entries[it->second];
  if (known.record != e.record || known.preHash != e.preHash)
    throw Bad{"two records give entry " + std::to_string(e.slot) + " different states before"};
  known.backupOffset = e.backupOffset;  // a resumed run backed it up again
  addAll(known.own, e.own);
}

void Parser::added(const Record& r) {
  need(r, 5);
  AddedItem a;
  a.archive = archivePath(r.fields[0]);
  a.line = static_cast<std::size_t>(number(r.fields[1], 1 << 20, "a line"));
  a.slot = static_cast<std::int32_t>(number(r.fields[2], INT32_MAX, "a slot"));
  if (a.slot < 1) throw Bad{"a slot is 0"};
  if (!parseHex(r.fields[3], a.name.data(), a.name.size())) throw Bad{"a name is malformed"};
  a.own = dataStates(r.fields[4]);
  const std::string key = pathKey(a.archive) + "#" + r.fields[1];
  auto [it, fresh] = added_.emplace(key, in_.added.size());
  if (fresh) return in_.added.push_back(std::move(a));
  AddedItem& known = in_.added[it->second];
  if (known.name != a.name)
    throw Bad{"two records name the entry of line " + r.fields[1] + " differently"};
  known.slot = a.slot;  // a resumed run found the archive changed
  addAll(known.own, a.own);
}

void Parser::closing(const Record& r) {
  need(r, 4);
  requireReady(r);
  Closing c;
  c.archive = archivePath(r.fields[0]);
  c.slot = static_cast<std::int32_t>(number(r.fields[1], INT32_MAX, "a slot"));
  c.countBefore = static_cast<std::int32_t>(number(r.fields[2], INT32_MAX, "a count"));
  const std::string& hex = r.fields[3];
  if (c.slot < 1 || hex.size() % 64 != 0 ||
      static_cast<std::int64_t>(hex.size() / 64) != std::int64_t{c.countBefore} - c.slot)
    throw Bad{"a closing record does not hold the records after its slot"};
  for (std::size_t at = 0; at < hex.size(); at += 64) {
    RecordBytes b;
    if (!parseHex(hex.substr(at, 64), b.data(), b.size())) throw Bad{"a record is malformed"};
    c.later.push_back(b);
  }
  in_.closings.push_back(std::move(c));
}

void Parser::closed(const Record& r) {
  need(r, 2);
  requireReady(r);
  const std::string path = archivePath(r.fields[0]);
  const auto slot = static_cast<std::int32_t>(number(r.fields[1], INT32_MAX, "a slot"));
  for (Closing& c : in_.closings)
    if (pathKey(c.archive) == pathKey(path) && c.slot == slot) c.closed = true;
}

void Parser::ready(const JournalLine& l, bool last) {
  need(l.record, 1);
  const std::uint32_t crc = l.crcBefore;
  const unsigned char b[4] = {
      static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
      static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
  if (l.record.fields[0] == hexOf(b, 4)) {
    ready_ = true;
    if (in_.state == InstallState::NotStarted) in_.state = InstallState::Running;
    return;
  }
  // Its preparation was cut short by a power cut before anything ran (nothing was changed after
  // it); with records after it, the records before are not those that were prepared.
  if (!last) throw Bad{"the records before it are not those the installation prepared"};
}

void Parser::stateRecord(const Record& r) {
  const std::string& k = r.kind;
  if (k == "started") {
    need(r, 2);
    if (in_.startedAt.empty()) in_.startedAt = r.fields[0];
    number(r.fields[1], 1 << 20, "a line");
    if (ready_) in_.state = InstallState::Running;
    return;
  }
  requireReady(r);
  if (k == "done") {
    need(r, 1);
    in_.done.insert(static_cast<std::size_t>(number(r.fields[0], 1 << 20, "a line")));
  } else if (k == "stopped") {
    need(r, 4);
    in_.state = InstallState::Stopped;
    in_.stoppedLine = static_cast<std::size_t>(number(r.fields[0], 1 << 20, "a line"));
    in_.stoppedError = static_cast<int>(number(r.fields[1], 1 << 20, "an error number"));
    in_.stoppedText = r.fields[2];
  } else if (k == "complete") {
    need(r, 1);
    in_.state = InstallState::Complete;
    in_.completedAt = r.fields[0];
  } else if (k == "uninstalling") {
    need(r, 1);
    in_.state = InstallState::Uninstalling;
  } else if (k == "uninstalled") {
    need(r, 2);
    in_.state = InstallState::Uninstalled;
    in_.uninstalledAt = r.fields[0];
    in_.itemsLeft = static_cast<std::size_t>(number(r.fields[1], 1 << 30, "a count"));
  } else {
    throw Bad{"the kind of record \"" + k + "\" is unknown"};
  }
}

}  // namespace

std::int32_t EntryItem::preSectors() const {
  ByteCursor in(record.data(), record.size());
  return static_cast<std::int32_t>(decodeRawRecord(in).sectors());
}

std::int32_t EntryItem::preOffset() const {
  ByteCursor in(record.data(), record.size());
  return static_cast<std::int32_t>(decodeRawRecord(in).offset & 0x7FFFFFFF);
}

const FileItem* Installation::file(const std::string& path) const {
  for (const FileItem& f : files)
    if (pathKey(f.path) == pathKey(path)) return &f;
  return nullptr;
}

const ArchiveItem* Installation::archive(const std::string& path) const {
  for (const ArchiveItem& a : archives)
    if (pathKey(a.path) == pathKey(path)) return &a;
  return nullptr;
}

bool Installation::installed() const {
  switch (state) {
    case InstallState::Running:
    case InstallState::Stopped:
    case InstallState::Complete:
    case InstallState::Uninstalling:
      return true;
    default:
      return false;
  }
}

std::size_t Installation::itemCount() const {
  return files.size() + folders.size() + entries.size() + added.size();
}

Installation parseInstallation(const JournalText& text, unsigned number, std::int64_t backupSize,
                               const std::string& journalPath) {
  Installation in;
  in.number = number;
  in.backupSize = backupSize;
  in.journalEnd = text.validEnd;
  Parser p(in);
  for (std::size_t i = 0; i < text.lines.size(); ++i) {
    const JournalLine& l = text.lines[i];
    if (text.damagedLine != 0 && l.number > text.damagedLine) break;
    try {
      p.line(l, i + 1 == text.lines.size());
    } catch (const Bad& bad) {
      const std::string earlier = p.backupProblem();
      in.state = InstallState::Damaged;
      in.damage =
          journalPath + " " +
          (earlier.empty() ? "line " + std::to_string(l.number) + ": " + bad.what : earlier);
      return in;
    }
  }
  const std::string backupProblem = p.backupProblem();
  if (!backupProblem.empty()) {
    in.state = InstallState::Damaged;
    in.damage = journalPath + " " + backupProblem;
  } else if (text.damagedLine != 0) {
    in.state = InstallState::Damaged;
    in.damage = journalPath + " line " + std::to_string(text.damagedLine) + ": " + text.damage;
  } else if (text.lines.empty()) {
    in.state = InstallState::Damaged;
    in.damage = journalPath + ": it holds no record";
  }
  return in;
}

Installation loadInstallation(FileSystem& fs, const std::string& saPath, unsigned number) {
  const std::string folder = installFolder(saPath, number);
  const std::string journal = folder + "\\" + kJournalFile;
  Installation in;
  try {
    FileInfo backup = fs.stat(folder + "\\" + kBackupFile);
    in = parseInstallation(readJournalText(readWholeFile(fs, journal)), number,
                           backup.exists && !backup.isDir ? backup.size : 0, journal);
  } catch (const RuntimeError& e) {
    in = Installation{};
    in.number = number;
    in.state = InstallState::Damaged;
    in.damage = journal + ": " + e.text();
  }
  in.folder = folder;
  return in;
}

std::vector<Installation> loadInstallations(FileSystem& fs, const std::string& saPath) {
  std::vector<Installation> out;
  for (unsigned n : installNumbers(fs, saPath)) out.push_back(loadInstallation(fs, saPath, n));
  return out;
}

std::string describeState(const Installation& in) {
  switch (in.state) {
    case InstallState::NotStarted:
      return "never started (nothing was changed)";
    case InstallState::Running:
      return "running, or ended without finishing";
    case InstallState::Stopped:
      return "stopped at line " + std::to_string(in.stoppedLine) + ": error " +
             std::to_string(in.stoppedError) + ": " + in.stoppedText;
    case InstallState::Complete:
      return "complete";
    case InstallState::Uninstalling:
      return "uninstall interrupted (run it again to finish)";
    case InstallState::Uninstalled:
      return in.itemsLeft == 0
                 ? "uninstalled"
                 : "uninstalled, " + std::to_string(in.itemsLeft) +
                       (in.itemsLeft == 1 ? " item" : " items") + " left as they were";
    case InstallState::Damaged:
      return "damaged: " + in.damage;
  }
  return {};
}

}  // namespace tamberlin::journal
