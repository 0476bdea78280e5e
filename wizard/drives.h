#pragma once
// What the drive list offers and where the folder page looks for the game first. The platform
// gathers the raw facts (drives or mount points, the home folder, the Wine prefix); these
// functions decide from them, so the decisions are the same everywhere and testable.

#include <cstddef>
#include <string>
#include <vector>

namespace tamberlin {

class Elevator;

/// One item of the drive list: the text it shows ("c:", "/", "/home/ann") and the folder the
/// folder list moves to when the drive is chosen.
struct DriveItem {
  std::string text;
  std::string root;
};

/// What the wizard's window is given by the platform at start.
struct Form1Setup {
  std::vector<DriveItem> drives;
  /// The Wine prefix ($WINEPREFIX, else ~/.wine) where Windows programs live on Linux; empty
  /// where there is none to try.
  std::string winePrefix;
  /// How the program gets administrator rights for a game folder it may not change; nullptr
  /// where the system has no such thing.
  Elevator* elevator = nullptr;
  /// True on 64-bit Windows, which installs 32-bit programs such as the game under
  /// "\Program Files (x86)".
  bool programFilesX86 = false;
};

/// The mount points worth offering from the text of /proc/self/mounts: file systems that hold
/// files people keep (not proc, sysfs, cgroup and the like; nothing under /proc, /sys, /dev,
/// /run except /run/media, nor /boot or /snap), octal escapes such as "\040" decoded, sorted.
std::vector<std::string> mountPointsFromTable(const std::string& mountsText);

/// The drive list on Linux: "/" first, then the home folder when it is set, then the other
/// mount points; each text is its own folder, and none appears twice.
std::vector<DriveItem> posixDrives(const std::vector<std::string>& mountPoints,
                                   const std::string& home);

/// The drive whose folder holds `folder` most closely (the longest matching root; letter case
/// ignored for drive letters). 0 when none does.
std::size_t driveOf(const std::vector<DriveItem>& drives, const std::string& folder);

/// The folder the game is installed in by default on the drive with text `driveText`.
std::string defaultGameFolder(const std::string& driveText);

/// The folders the folder page tries, in order, before it stays where it is: the default
/// folder on the drive, the same under "Program Files (x86)" when `programFilesX86`, then both
/// under the Wine prefix's drive_c (a 64-bit prefix keeps 32-bit games under the second).
std::vector<std::string> gameFolderCandidates(const std::string& driveText,
                                              const std::string& winePrefix,
                                              bool programFilesX86 = false);

}  // namespace tamberlin
