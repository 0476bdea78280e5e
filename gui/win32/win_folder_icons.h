#pragma once
// The shell's own small folder pictures, open and closed, for the folder list.
#include <windows.h>

namespace tamberlin {

class FolderIcons {
 public:
  /// Loads both pictures; a picture the shell cannot give stays empty and is not drawn.
  FolderIcons();
  ~FolderIcons();
  FolderIcons(const FolderIcons&) = delete;
  FolderIcons& operator=(const FolderIcons&) = delete;

  /// Draws the open or closed folder `size` pixels square with its top-left corner at x, y.
  void draw(HDC dc, int x, int y, int size, bool open) const;

 private:
  HICON open_ = nullptr;
  HICON closed_ = nullptr;
};

}  // namespace tamberlin
