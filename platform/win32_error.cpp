// Windows system error codes as run-time errors. The codes are the documented values of
// winerror.h, spelled out here so that the mapping needs no Windows header and its test runs on
// every build machine.
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

namespace win {
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kTooManyOpenFiles = 4;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kInvalidHandle = 6;
constexpr unsigned long kNotEnoughMemory = 8;
constexpr unsigned long kOutOfMemory = 14;
constexpr unsigned long kInvalidDrive = 15;
constexpr unsigned long kCurrentDirectory = 16;
constexpr unsigned long kNotSameDevice = 17;
constexpr unsigned long kWriteProtect = 19;
constexpr unsigned long kNotReady = 21;
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kLockViolation = 33;
constexpr unsigned long kHandleEof = 38;
constexpr unsigned long kHandleDiskFull = 39;
constexpr unsigned long kBadNetPath = 53;
constexpr unsigned long kBadNetName = 67;
constexpr unsigned long kFileExists = 80;
constexpr unsigned long kInvalidParameter = 87;
constexpr unsigned long kDiskFull = 112;
constexpr unsigned long kInvalidName = 123;
constexpr unsigned long kNegativeSeek = 131;
constexpr unsigned long kDirNotEmpty = 145;
constexpr unsigned long kBadPathname = 161;
constexpr unsigned long kAlreadyExists = 183;
constexpr unsigned long kFilenameTooLong = 206;
constexpr unsigned long kFileTooLarge = 223;
constexpr unsigned long kDirectoryName = 267;
constexpr unsigned long kDeletePending = 303;
constexpr unsigned long kUserMappedFile = 1224;
constexpr unsigned long kDiskQuotaExceeded = 1295;
}  // namespace win

int errorNumberOf(unsigned long code) {
  switch (code) {
    case win::kFileNotFound:
      return err::kFileNotFound;
    case win::kPathNotFound:
    case win::kInvalidDrive:
    case win::kBadNetPath:
    case win::kBadNetName:
    case win::kDirectoryName:
      return err::kPathNotFound;
    case win::kFileExists:
    case win::kAlreadyExists:
      return err::kFileExists;
    case win::kHandleDiskFull:
    case win::kDiskFull:
    case win::kFileTooLarge:
    case win::kDiskQuotaExceeded:
      return err::kDiskFull;
    case win::kAccessDenied:
    case win::kWriteProtect:
    case win::kSharingViolation:
    case win::kLockViolation:
    case win::kDeletePending:
    case win::kUserMappedFile:
      return err::kPermissionDenied;
    case win::kTooManyOpenFiles:
    case win::kCurrentDirectory:
    case win::kNotSameDevice:
    case win::kDirNotEmpty:
    case win::kFilenameTooLong:
      return err::kPathFileAccess;
    case win::kInvalidName:
    case win::kBadPathname:
    case win::kInvalidHandle:
      return err::kBadFileNameOrNumber;
    case win::kNotEnoughMemory:
    case win::kOutOfMemory:
      return err::kOutOfMemory;
    case win::kHandleEof:
      return err::kInputPastEnd;
    case win::kInvalidParameter:
    case win::kNegativeSeek:
      return err::kInvalidCall;
    case win::kNotReady:
    default:
      return err::kDeviceIO;
  }
}

}  // namespace

RuntimeError errorFromWin32(unsigned long code, const std::string& programPath) {
  const std::string path = windowsDisplayPath(programPath);
  int number = errorNumberOf(code);
  // A code without a meaning of its own keeps its value in the detail, so a report from a
  // player's machine can still be traced.
  if (number == err::kDeviceIO && code != win::kNotReady)
    return RuntimeError(number, path + " (system error " + std::to_string(code) + ")");
  return RuntimeError(number, path);
}

}  // namespace tamberlin
