#!/usr/bin/env bash
# Sets up and runs every test: the unit and end-to-end tests, then the unit tests once more
# under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
need_packages "${BUILD_PACKAGES[@]}"

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

echo "== build and test (build/)"
configure_and_build build
ctest --test-dir build --output-on-failure -j "$(nproc)"

echo "== unit tests under AddressSanitizer + UBSan (build-asan/)"
configure_and_build build-asan -DTAMBERLIN_SANITIZE=ON -DTAMBERLIN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

echo "== crash campaign, short form: operations killed at random moments (build/)"
build/tools/crash_campaign --runs 40

echo "== Windows build, smoke-tested under Wine (build-win/)"
# Runs where mingw-w64 and Wine are installed or can be (as root); otherwise says it skips.
windows_packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xauth
                  xdotool imagemagick)
if (need_packages "${windows_packages[@]}") >/dev/null 2>&1; then
  tools/windows-smoke.sh
else
  echo "SKIPPED: the Windows smoke test: cannot install ${windows_packages[*]}" \
       "(run ./test.sh as root with network access to include it)"
fi
