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
