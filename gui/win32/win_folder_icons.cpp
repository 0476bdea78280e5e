#include "gui/win32/win_folder_icons.h"

#include <shellapi.h>

namespace tamberlin {
namespace {

/// The stock icon of Windows Vista and later; on an older shell, the icon it gives any folder.
HICON shellFolderIcon(bool open) {
  SHSTOCKICONINFO stock{};
  stock.cbSize = sizeof stock;
  if (SUCCEEDED(SHGetStockIconInfo(open ? SIID_FOLDEROPEN : SIID_FOLDER,
                                   SHGSI_ICON | SHGSI_SMALLICON, &stock)) &&
      stock.hIcon)
    return stock.hIcon;
  SHFILEINFOW info{};
  UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0);
  if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags))
    return info.hIcon;
  return nullptr;
}

}  // namespace

FolderIcons::FolderIcons() : open_(shellFolderIcon(true)), closed_(shellFolderIcon(false)) {}

FolderIcons::~FolderIcons() {
  if (open_) DestroyIcon(open_);
  if (closed_) DestroyIcon(closed_);
}

void FolderIcons::draw(HDC dc, int x, int y, int size, bool open) const {
  if (HICON icon = open ? open_ : closed_)
    DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace tamberlin
