#pragma once
// Whether this process runs with administrator rights, and the test hook that plays a limited
// user where the system has none to offer.

#include <cstdlib>

namespace tamberlin {

/// The test hook's environment variable. Wine, where the Windows smoke test runs, has no
/// limited users (every process is elevated) and, run as root, no folder that refuses writes.
/// Set to a non-empty value, the process plays a user who may change nothing: it is not
/// elevated, and the wizard and `tamberlin install` see the file system read-only. The copy the
/// wizard starts elevated does not get it.
inline const char* const kLimitedUserVariable = "TAMBERLIN_TEST_LIMITED_USER";

/// True when the test hook above is set.
inline bool playingLimitedUser() {
  const char* value = std::getenv(kLimitedUserVariable);
  return value != nullptr && *value != '\0';
}

/// True when this process runs with administrator rights: an elevated token on Windows, root
/// elsewhere. False while playing a limited user.
bool processIsElevated();

}  // namespace tamberlin
