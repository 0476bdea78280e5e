# Sourced by run.sh and test.sh: installs the Debian 12 packages a step needs.
# Usage: need_packages PKG... — installs what is missing when root, else prints the apt-get line.

need_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local line="apt-get install -y --no-install-recommends ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get update && $line" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}" >&2
  if [ -z "${TAMBERLIN_APT_UPDATED:-}" ]; then
    apt-get update -q >&2 || true
    export TAMBERLIN_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive $line -q >&2
}

# The packages every build needs.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
                qt6-base-dev)

configure_and_build() {  # configure_and_build BUILD_DIR [cmake args...]
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
