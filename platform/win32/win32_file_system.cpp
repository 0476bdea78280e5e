// The file system on Windows, on the system's own file calls. Program paths take backslashes or
// forward slashes; letter case is the file system's business. Every failure is a RuntimeError.
#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

/// The native form of a program path: backslashes only. A path too long for the classic calls is
/// made absolute and given the "\\?\" prefix, which lifts the limit of 260 characters.
std::wstring widePath(const std::string& path) {
  // The system would cut the path at a NUL and act on another file than the one named.
  if (path.find('\0') != std::string::npos)
    throw RuntimeError(err::kBadFileNameOrNumber, "a file name holds a NUL character");
  std::wstring w = utf8ToWide(path.empty() ? std::string(".") : path);
  std::replace(w.begin(), w.end(), L'/', L'\\');
  if (w.size() < MAX_PATH - 12 || w.rfind(L"\\\\?\\", 0) == 0) return w;
  DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return w;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
  full.resize(n);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

RuntimeError lastError(const std::string& path) {
  return errorFromWin32(GetLastError(), path);
}

bool isFolder(const std::wstring& native) {
  DWORD a = GetFileAttributesW(native.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool hiddenByAttributes(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

class Win32File : public BinaryFile {
 public:
  Win32File(HANDLE h, std::string path) : h_(h), path_(std::move(path)) {}
  ~Win32File() override {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  std::size_t read(std::int64_t pos, void* buf, std::size_t n) override {
    checkPos(pos);
    std::size_t done = 0;
    while (done < n) {
      DWORD got = 0;
      OVERLAPPED at = offset(pos - 1 + static_cast<std::int64_t>(done));
      if (!ReadFile(h_, static_cast<char*>(buf) + done, chunk(n - done), &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        throw lastError(path_);
      }
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  void write(std::int64_t pos, const void* buf, std::size_t n) override {
    checkPos(pos);
    std::size_t done = 0;
    while (done < n) {
      DWORD put = 0;
      OVERLAPPED at = offset(pos - 1 + static_cast<std::int64_t>(done));
      if (!WriteFile(h_, static_cast<const char*>(buf) + done, chunk(n - done), &put, &at))
        throw lastError(path_);
      if (put == 0) throw RuntimeError(err::kDiskFull, path_);
      done += put;
    }
  }

  std::int64_t length() override {
    checkOpen();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h_, &size)) throw lastError(path_);
    return size.QuadPart;
  }

  void truncate(std::int64_t length) override {
    checkOpen();
    LARGE_INTEGER to;
    to.QuadPart = length;
    if (length < 0) throw RuntimeError(err::kInvalidCall, path_);
    if (!SetFilePointerEx(h_, to, nullptr, FILE_BEGIN) || !SetEndOfFile(h_)) throw lastError(path_);
  }

  void sync() override {
    checkOpen();
    if (!FlushFileBuffers(h_)) throw lastError(path_);
  }

  void close() override {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE && !CloseHandle(h)) throw lastError(path_);
  }

  const std::string& path() const override { return path_; }

 private:
  static DWORD chunk(std::size_t left) {
    constexpr std::size_t kMax = 1u << 30;  // well inside a DWORD
    return static_cast<DWORD>(std::min(left, kMax));
  }
  static OVERLAPPED offset(std::int64_t at) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(at) & 0xFFFFFFFFu);
    o.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(at) >> 32);
    return o;
  }
  void checkOpen() const {
    if (h_ == INVALID_HANDLE_VALUE) throw RuntimeError(err::kBadFileNameOrNumber, path_);
  }
  void checkPos(std::int64_t pos) const {
    checkOpen();
    if (pos < 1)
      throw RuntimeError(err::kBadFileNameOrNumber,
                         path_ + " (position " + std::to_string(pos) + ")");
  }

  HANDLE h_;
  std::string path_;
};

class Win32FileSystem : public FileSystem {
 public:
  std::string nativePath(const std::string& path) override {
    std::wstring w = utf8ToWide(path.empty() ? std::string(".") : path);
    std::replace(w.begin(), w.end(), L'/', L'\\');
    return wideToUtf8(storedCase(w, 0));
  }

  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override {
    std::wstring native = widePath(path);
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
      case OpenMode::Read:
        access = GENERIC_READ;
        break;
      case OpenMode::ReadWrite:
        disposition = OPEN_ALWAYS;
        break;
      case OpenMode::ReadWriteExisting:
        break;
      // Emptied rather than CREATE_ALWAYS: that refuses a hidden or system file.
      case OpenMode::Create:
        disposition = OPEN_ALWAYS;
        break;
    }
    // Shared like a POSIX descriptor: another open of the same file (a copy onto itself, an
    // archive opened twice) sees the same bytes instead of failing.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE h = CreateFileW(native.c_str(), access, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      if (e == ERROR_ACCESS_DENIED && isFolder(native))
        throw RuntimeError(err::kPathFileAccess, path + " is a folder");
      throw errorFromWin32(e, path);
    }
    auto file = std::make_unique<Win32File>(h, path);
    if (mode == OpenMode::Create) file->truncate(0);
    return file;
  }

  FileInfo stat(const std::string& path) override {
    FileInfo info;
    if (path.find('\0') != std::string::npos) return info;
    std::wstring native = widePath(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(native.c_str(), GetFileExInfoStandard, &data)) return info;
    info.exists = true;
    info.isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.isHidden = hiddenByAttributes(data.dwFileAttributes);
    info.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                          data.nFileSizeLow);
    info.id = fileId(native);
    return info;
  }

  std::vector<DirEntry> list(const std::string& dir) override {
    std::wstring native = widePath(dir);
    if (!native.empty() && native.back() != L'\\' && native.back() != L':') native += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((native + L"*").c_str(), &found);
    std::vector<DirEntry> out;
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      // An empty drive root has not even "." and "..".
      if (e == ERROR_FILE_NOT_FOUND && isFolder(native)) return out;
      if (e == ERROR_FILE_NOT_FOUND || e == ERROR_DIRECTORY) e = ERROR_PATH_NOT_FOUND;
      throw errorFromWin32(e, dir);
    }
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      DirEntry entry;
      entry.name = wideToUtf8(name);
      entry.isDir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.isHidden = hiddenByAttributes(found.dwFileAttributes);
      out.push_back(std::move(entry));
    } while (FindNextFileW(h, &found));
    DWORD e = GetLastError();
    FindClose(h);
    if (e != ERROR_NO_MORE_FILES) throw errorFromWin32(e, dir);
    std::sort(out.begin(), out.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return out;
  }

  void makeDir(const std::string& path) override {
    if (CreateDirectoryW(widePath(path).c_str(), nullptr)) return;
    DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS)
      throw RuntimeError(err::kPathFileAccess, path + " already exists");
    throw errorFromWin32(e, path);
  }

  void removeFile(const std::string& path) override {
    std::wstring native = widePath(path);
    if (isFolder(native)) throw RuntimeError(err::kPathFileAccess, path + " is a folder");
    if (!DeleteFileW(native.c_str())) throw lastError(path);
  }

  void removeDir(const std::string& path) override {
    if (RemoveDirectoryW(widePath(path).c_str())) return;
    DWORD e = GetLastError();
    if (e == ERROR_DIR_NOT_EMPTY) throw RuntimeError(err::kPathFileAccess, path + " is not empty");
    throw errorFromWin32(e, path);
  }

  void rename(const std::string& from, const std::string& to) override {
    // Replacing, and written through: on NTFS the new name is on the disk when this returns, so
    // the folder flush the callers make after it (syncDir) is not needed there.
    if (!MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      throw lastError(from + " -> " + to);
  }

  void linkOrCopy(const std::string& from, const std::string& to) override {
    // FAT and many network drives have no hard links: a copy does there.
    if (CreateHardLinkW(widePath(to).c_str(), widePath(from).c_str(), nullptr)) return;
    const DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND)
      throw errorFromWin32(e, from + " -> " + to);
    FileSystem::linkOrCopy(from, to);
  }

  void syncDir(const std::string& dir) override {
    // NTFS journals its folder entries, and renames are made with MOVEFILE_WRITE_THROUGH; a
    // folder handle can be flushed only with write access, which FAT and network drives refuse.
    // So a folder is flushed where that is allowed and otherwise only checked to exist.
    std::wstring native = widePath(dir);
    if (!isFolder(native)) throw RuntimeError(err::kPathNotFound, dir);
    HANDLE h = CreateFileW(native.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    FlushFileBuffers(h);
    CloseHandle(h);
  }

  std::uint64_t freeSpace(const std::string& dir) override {
    std::wstring native = widePath(dir);
    if (!native.empty() && native.back() != L'\\') native += L'\\';
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(native.c_str(), &available, nullptr, nullptr)) throw lastError(dir);
    return available.QuadPart;
  }

  std::string currentDir() override {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring buf(n, L'\0');
    n = GetCurrentDirectoryW(n, buf.data());
    if (n == 0) throw lastError(".");
    buf.resize(n);
    return wideToUtf8(buf);
  }

 private:
  /// `path` with the letter case of the names as the folders store them, as far as they exist;
  /// the names after the first missing one are kept as written.
  static std::wstring storedCase(const std::wstring& path, int depth) {
    DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (n > 0) {
      std::wstring out(n, L'\0');
      n = GetLongPathNameW(path.c_str(), out.data(), n);
      if (n > 0 && n < out.size()) {
        out.resize(n);
        return out;
      }
    }
    std::size_t cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut == 0 || depth > 64 || path[cut - 1] == L':' ||
        path[cut - 1] == L'\\')
      return path;
    return storedCase(path.substr(0, cut), depth + 1) + path.substr(cut);
  }

  /// The volume serial number and file index: the same for every name of one file.
  static std::uint64_t fileId(const std::wstring& native) {
    HANDLE h =
        CreateFileW(native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION bhfi;
    std::uint64_t id = 0;
    if (GetFileInformationByHandle(h, &bhfi)) {
      std::uint64_t index =
          (static_cast<std::uint64_t>(bhfi.nFileIndexHigh) << 32) | bhfi.nFileIndexLow;
      id = (static_cast<std::uint64_t>(bhfi.dwVolumeSerialNumber) << 40) ^ index;
    }
    CloseHandle(h);
    return id;
  }
};

}  // namespace

FileSystem& realFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace tamberlin
