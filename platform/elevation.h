#pragma once
// Whether this process runs with administrator rights, and a test hook that plays a limited
// user where the system has none to offer.

#include <cstdlib>

namespace tamberlin {

/// Test hook, for the Windows smoke test: Wine, where it runs, has no limited users and, run
/// as root, no folder that refuses writes. Set to a non-empty value, this variable makes the
/// process play a user who may change nothing: processIsElevated() is false, and the wizard
/// and `tamberlin install` see the file system read-only (programFileSystem() in
/// installscript/read_only_file_system.h). The elevated copy that the wizard starts does not
/// inherit it.
inline constexpr const char* kLimitedUserVariable = "TAMBERLIN_TEST_LIMITED_USER";

/// True when the test hook above is set.
inline bool playingLimitedUser() {
  const char* value = std::getenv(kLimitedUserVariable);
  return value != nullptr && *value != '\0';
}

/// True when this process runs with administrator rights: an elevated token on Windows, root
/// elsewhere. False while playing a limited user.
bool processIsElevated();

}  // namespace tamberlin
