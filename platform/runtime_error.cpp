#include "platform/runtime_error.h"

#include "platform/win_path.h"

#include <cerrno>

namespace tamberlin {

std::string errorDescription(int number) {
  switch (number) {
    case err::kInvalidCall:
      return "Invalid procedure call or argument";
    case err::kOverflow:
      return "Overflow";
    case err::kOutOfMemory:
      return "Out of memory";
    case err::kSubscript:
      return "Subscript out of range";
    case err::kBadFileNameOrNumber:
      return "Bad file name or number";
    case err::kFileNotFound:
      return "File not found";
    case err::kDeviceIO:
      return "Device I/O error";
    case err::kFileExists:
      return "File already exists";
    case err::kDiskFull:
      return "Disk full";
    case err::kInputPastEnd:
      return "Input past end of file";
    case err::kPermissionDenied:
      return "Permission denied";
    case err::kPathFileAccess:
      return "Path/File access error";
    case err::kPathNotFound:
      return "Path not found";
    case err::kInvalidFormat:
      return "Invalid file format";
    default:
      return "Application-defined or object-defined error";
  }
}

static std::string joinText(int number, const std::string& detail) {
  return detail.empty() ? errorDescription(number) : errorDescription(number) + ": " + detail;
}

RuntimeError::RuntimeError(int number, std::string detail)
    : std::runtime_error(joinText(number, detail)), number_(number), detail_(std::move(detail)) {}

std::string RuntimeError::text() const {
  return joinText(number_, detail_);
}

RuntimeError errorFromErrno(int e, const std::string& programPath) {
  const std::string path = displayPath(programPath);
  switch (e) {
    case ENOENT:
      return RuntimeError(err::kFileNotFound, path);
    case ENOTDIR:
      return RuntimeError(err::kPathNotFound, path);
    case EEXIST:
      return RuntimeError(err::kFileExists, path);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
      return RuntimeError(err::kDiskFull, path);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return RuntimeError(err::kPermissionDenied, path);
    case EISDIR:
    case ENOTEMPTY:
    case EBUSY:
    case ENAMETOOLONG:
    case ELOOP:
    case EXDEV:
      return RuntimeError(err::kPathFileAccess, path);
    case ENOMEM:
      return RuntimeError(err::kOutOfMemory, path);
    case EBADF:
      return RuntimeError(err::kBadFileNameOrNumber, path);
    default:
      return RuntimeError(err::kDeviceIO, path);
  }
}

}  // namespace tamberlin
