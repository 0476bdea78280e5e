#!/usr/bin/env bash
# Cross-builds the Windows executables with mingw-w64:
#   build-win/tamberlin-x86.exe  (32-bit, Windows 7 and later)
#   build-win/tamberlin-x64.exe  (64-bit)
#   build-win/win32-driver.exe   (64-bit; drives the wizard from outside in the Wine smoke test)
# With --tests also build-win/tests/tamberlin-tests.exe and build-win/tests-x86/tamberlin-tests.exe:
# the unit tests of the portable code on the Windows file layer, 64- and 32-bit, for Wine.
# Each is static and stripped, and may import only DLLs that ship with Windows: the script
# fails when one imports anything else, or when the wizard links C++ streams.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
need_packages cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64

out=build-win
mkdir -p "$out"
with_tests=0
[ "${1:-}" = --tests ] && with_tests=1

# DLLs every supported Windows (7 to 11) has in System32.
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|shell32|shlwapi|advapi32|msvcrt|uxtheme|windowscodecs)\.dll$'

check_imports() {  # check_imports OBJDUMP EXE
  local objdump=$1 exe=$2 dll bad=0
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system_dlls"; then
      echo "error: $exe imports $dll, which is not a Windows system DLL" >&2
      bad=1
    fi
  done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  return $bad
}

# C++ streams (std::cout, string streams, file streams) bring the C++ library's locale support,
# some 800 KB of a static exe: the program prints through platform/text_writer.h instead.
check_no_streams() {  # check_no_streams LINKER_MAP EXE
  if grep -Eq 'libstdc\+\+\.a\((ios_init|locale_init)\.o\)' "$1"; then
    echo "error: $2 links C++ streams; $1 tells which object needs them" >&2
    return 1
  fi
}

# The manifest asks for no elevation: a double-click must not bring the system's prompt (the
# wizard asks for rights itself, for a game folder that needs them). Without one, Windows would
# take the program for an installer by the word "installer" in its description and elevate it,
# and would let the 32-bit exe's writes under Program Files land in the user's VirtualStore,
# where the game never sees them, as if they had succeeded.
check_manifest() {  # check_manifest EXE
  if ! grep -aq 'requestedExecutionLevel level="asInvoker"' "$1"; then
    echo "error: $1 carries no manifest with requestedExecutionLevel asInvoker" >&2
    return 1
  fi
}

build_arch() {  # build_arch MINGW_ARCH EXE_SUFFIX
  local arch=$1 suffix=$2 dir="$out/$1"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel "-DCMAKE_EXE_LINKER_FLAGS_MINSIZEREL=-s -Wl,-Map=tamberlin.map" \
    >/dev/null
  cmake --build "$dir" --target tamberlin -j 2
  check_no_streams "$dir/tamberlin.map" "$dir/tamberlin.exe"
  cp "$dir/tamberlin.exe" "$out/tamberlin-$suffix.exe"
  check_imports "$arch-w64-mingw32-objdump" "$out/tamberlin-$suffix.exe"
  check_manifest "$out/tamberlin-$suffix.exe"
}

build_arch i686 x86
build_arch x86_64 x64

driver=tools/win32-driver/driver.cpp
if [ -f "$driver" ]; then
  x86_64-w64-mingw32-g++ -std=c++17 -Os -Wall -Wextra -Wpedantic -Werror -DUNICODE -D_UNICODE -municode -static \
    -static-libgcc -static-libstdc++ -s -o "$out/win32-driver.exe" tools/win32-driver/*.cpp \
    -luser32 -lgdi32
  check_imports x86_64-w64-mingw32-objdump "$out/win32-driver.exe"
fi

build_tests() {  # build_tests MINGW_ARCH DIR
  cmake -S tools/win32-tests -B "$2" -G Ninja -DCMAKE_SYSTEM_NAME=Windows \
    -DCMAKE_C_COMPILER="$1-w64-mingw32-gcc-posix" -DCMAKE_CXX_COMPILER="$1-w64-mingw32-g++-posix" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$2" -j 2
}

if [ $with_tests = 1 ]; then
  build_tests x86_64 "$out/tests"
  build_tests i686 "$out/tests-x86"
fi

echo "Windows executables (static, stripped, system DLLs only, manifest asInvoker):"
for f in "$out"/tamberlin-x86.exe "$out"/tamberlin-x64.exe; do
  printf '  %-28s %8d bytes\n' "$f" "$(stat -c %s "$f")"
done
