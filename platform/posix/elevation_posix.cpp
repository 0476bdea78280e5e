#include <unistd.h>

#include "platform/elevation.h"

namespace tamberlin {

bool processIsElevated() {
  return !playingLimitedUser() && ::geteuid() == 0;
}

}  // namespace tamberlin
