#include "wizard/drives.h"

#include <algorithm>
#include <set>

#include "platform/win_path.h"

namespace tamberlin {
namespace {

const char* const kGameUnderDrive = "\\Program Files\\Rockstar Games\\GTA San Andreas";
const char* const kGameUnderDriveX86 = "\\Program Files (x86)\\Rockstar Games\\GTA San Andreas";

bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

/// True when `path` is `dir` or lies below it.
bool isUnder(const std::string& path, const std::string& dir) {
  if (!startsWith(path, dir)) return false;
  return path.size() == dir.size() || isPathSeparator(dir.back()) ||
         isPathSeparator(path[dir.size()]);
}

std::string decodeOctal(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.size() == 3 &&
          std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
        out +=
            static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

/// The first `most` words of `line`, split at blanks (spaces, tabs and the like).
std::vector<std::string> wordsOf(const std::string& line, std::size_t most) {
  const char* const blanks = " \t\v\f\r";
  std::vector<std::string> words;
  std::size_t pos = line.find_first_not_of(blanks);
  while (pos != std::string::npos && words.size() < most) {
    std::size_t end = line.find_first_of(blanks, pos);
    words.push_back(line.substr(pos, end - pos));  // to the end when no blank follows
    pos = line.find_first_not_of(blanks, end);
  }
  return words;
}

bool isPseudoFileSystem(const std::string& type) {
  static const std::set<std::string> pseudo = {
      "proc",    "sysfs",   "devtmpfs",    "devpts",      "tmpfs",
      "cgroup",  "cgroup2", "securityfs",  "pstore",      "debugfs",
      "tracefs", "mqueue",  "hugetlbfs",   "configfs",    "fusectl",
      "bpf",     "autofs",  "binfmt_misc", "efivarfs",    "rpc_pipefs",
      "nsfs",    "ramfs",   "squashfs",    "fuse.portal", "fuse.gvfsd-fuse",
      "overlay"};
  return pseudo.count(type) != 0;
}

bool isSystemPlace(const std::string& dir) {
  for (const char* place : {"/proc", "/sys", "/dev", "/boot", "/snap", "/var/lib", "/etc"})
    if (isUnder(dir, place)) return true;
  return isUnder(dir, "/run") && !isUnder(dir, "/run/media");
}

bool sameRoot(const std::string& a, const std::string& b) {
  return hasDriveLetter(a) ? sameNameIgnoringCase(a, b) : a == b;
}

}  // namespace

std::vector<std::string> mountPointsFromTable(const std::string& mountsText) {
  std::set<std::string> found;
  std::size_t start = 0;
  while (start < mountsText.size()) {
    std::size_t end = mountsText.find('\n', start);
    if (end == std::string::npos) end = mountsText.size();
    std::vector<std::string> fields = wordsOf(mountsText.substr(start, end - start), 3);
    start = end + 1;
    if (fields.size() < 3) continue;
    std::string dir = decodeOctal(fields[1]);
    const std::string& type = fields[2];
    if (dir.empty() || dir[0] != '/' || isPseudoFileSystem(type) || isSystemPlace(dir)) continue;
    found.insert(dir);
  }
  return {found.begin(), found.end()};
}

std::vector<DriveItem> posixDrives(const std::vector<std::string>& mountPoints,
                                   const std::string& home) {
  std::vector<DriveItem> drives{{"/", "/"}};
  auto add = [&drives](const std::string& dir) {
    if (dir.empty()) return;
    for (const DriveItem& d : drives)
      if (d.root == dir) return;
    drives.push_back({dir, dir});
  };
  add(home);
  for (const std::string& dir : mountPoints) add(dir);
  return drives;
}

std::size_t driveOf(const std::vector<DriveItem>& drives, const std::string& folder) {
  std::size_t best = 0, bestLen = 0;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    const std::string& root = drives[i].root;
    if (root.empty() || root.size() > folder.size() || root.size() < bestLen) continue;
    std::string head = folder.substr(0, root.size());
    bool boundary = folder.size() == root.size() || isPathSeparator(root.back()) ||
                    isPathSeparator(folder[root.size()]);
    if (boundary && sameRoot(root, head)) {
      best = i;
      bestLen = root.size();
    }
  }
  return best;
}

std::string defaultGameFolder(const std::string& driveText) {
  return driveText + kGameUnderDrive;
}

std::vector<std::string> gameFolderCandidates(const std::string& driveText,
                                              const std::string& winePrefix, bool programFilesX86) {
  std::vector<std::string> out{defaultGameFolder(driveText)};
  if (programFilesX86) out.push_back(driveText + kGameUnderDriveX86);
  if (!winePrefix.empty()) {
    out.push_back(joinPath(winePrefix, "drive_c") + kGameUnderDrive);
    out.push_back(joinPath(winePrefix, "drive_c") + kGameUnderDriveX86);
  }
  return out;
}

}  // namespace tamberlin
