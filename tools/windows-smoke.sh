#!/usr/bin/env bash
# Smoke test of the Windows build under Wine: each wizard, the 64-bit and the 32-bit exe,
# unmodified, is driven from outside by build-win/win32-driver.exe on generated game folders
# with a copy of the sample mod (start-up failure, close question after a file passed as by
# Explorer, a whole installation, and one through the elevated copy that a wizard playing a
# limited user starts). Each installed tree and archive must equal, byte for byte, what the
# Linux headless install makes of the same mod and game; the archive must pass "img check" run
# by the Windows exe itself. The command line is checked for its usage error and its advice to a
# limited user. Screenshots of each page go to build-win/smoke-shots/EXE/.
#
# A watchdog ends every run within its time; the last line printed is the one result line,
# and the exit code is 0 only on success.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source tools/deps.sh

limit=${SMOKE_TIME_LIMIT:-480}  # seconds for everything under Wine
result() {                       # result PASS|FAIL TEXT: the last line, and the exit code
  echo "windows-smoke: $1: $2"
  [ "$1" = PASS ]
}

need_packages wine wine64 fonts-wine xvfb xauth xdotool imagemagick cmake ninja-build g++
# The 32-bit exe runs on Debian's 32-bit Wine, in the same 64-bit prefix. That Wine is a 32-bit
# Linux program: some hosts (sandboxes, kernels without 32-bit support) cannot run one, and
# there wine32 would break Wine as a whole (its "wine" prefers the 32-bit loader). A 96-byte
# 32-bit program that exits 42 tells.
i386_probe=$(mktemp /tmp/tamberlin-i386.XXXXXX)
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80' >"$i386_probe" && chmod +x "$i386_probe"
"$i386_probe" 2>/dev/null
runs_i386=$?
rm -f "$i386_probe"
if [ "$runs_i386" -eq 42 ]; then
  exes="x64 x86"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    if [ "$(id -u)" -ne 0 ]; then
      result FAIL "the 32-bit exe needs wine32:i386; run as root to install it"
      exit 1
    fi
    dpkg --add-architecture i386
    unset TAMBERLIN_APT_UPDATED  # the new architecture's package lists
  fi
  need_packages wine32:i386
else
  exes="x64"
  x86_note="tamberlin-x86.exe NOT run: this host cannot execute 32-bit programs, so no wine32"
  if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    result FAIL "wine32:i386 is installed on a host that cannot run 32-bit programs, which breaks Wine: apt-get remove wine32:i386 libwine:i386"
    exit 1
  fi
  echo "windows-smoke: $x86_note" >&2
fi

work=$(mktemp -d /tmp/tamberlin-smoke.XXXXXX)
xvfb_pid= shooter_pid= watchdog_pid=
cleanup() {
  [ -n "$watchdog_pid" ] && kill "$watchdog_pid" 2>/dev/null
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
  [ -n "$shooter_pid" ] && kill "$shooter_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "== cross-build (${SECONDS}s)"
tools/build-windows.sh --tests >"$work/build.log" 2>&1 || { tail -20 "$work/build.log"; result FAIL "cross-build failed"; exit 1; }
driver=build-win/win32-driver.exe
for arch in $exes; do
  [ -f "build-win/tamberlin-$arch.exe" ] || { result FAIL "build-win/tamberlin-$arch.exe is missing"; exit 1; }
done
[ -f "$driver" ] || { result FAIL "the driver is missing"; exit 1; }

echo "== Linux tools for the reference install (build-win/linux) (${SECONDS}s)"
linux=build-win/linux
cmake -S . -B "$linux" -G Ninja -DTAMBERLIN_GUI=none -DTAMBERLIN_TESTS=OFF -DTAMBERLIN_BENCH=OFF \
  >/dev/null && cmake --build "$linux" --target tamberlin gen_archive -j 2 >"$work/linux.log" 2>&1 \
  || { tail -20 "$work/linux.log"; result FAIL "the Linux build failed"; exit 1; }

echo "== game folders and mods ($work) (${SECONDS}s)"
mkdir -p "$work/ref" "$work/empty"
BUILD_DIR=$root/$linux tools/make-demo-game.sh "$work/ref/game" >/dev/null \
  || { result FAIL "make-demo-game.sh failed"; exit 1; }
cp -r examples/sample-mod "$work/ref/mod"
cp -r "$work/ref/game" "$work/untouched"  # what an uninstall gives back
for arch in $exes; do  # an untouched game for each install, a mod folder for each exe
  mkdir -p "$work/$arch" "$work/shots/$arch"
  cp -r "$work/ref/game" "$work/$arch/game"
  cp -r "$work/ref/game" "$work/$arch/game-elevated"
  cp -r "$work/ref/mod" "$work/$arch/mod"
done
(cd "$work/ref/mod" && "$root/$linux/tamberlin" install "$work/ref/game" >"$work/ref.log" 2>&1) \
  || { cat "$work/ref.log"; result FAIL "the reference install failed"; exit 1; }

echo "== Wine prefix and X server (${SECONDS}s)"
# The watchdog: past the limit every Wine process of our prefix is killed, so the step that
# waits returns at once, and the test ends as failed.
trap 'result FAIL "watchdog: over ${limit}s under Wine"; exit 1' USR1
(
  trap 'kill $sleeper 2>/dev/null; exit 0' TERM
  sleep "$limit" >/dev/null 2>&1 &
  sleeper=$!
  wait $sleeper
  echo "windows-smoke: watchdog: over ${limit}s, stopping Wine" >&2
  WINEPREFIX=$work/prefix wineserver -k
  kill -USR1 $$
) &
watchdog_pid=$!
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all WINEARCH=win64
timeout 120 wineboot -i >/dev/null 2>&1
timeout 30 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
timeout 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
timeout 60 wineserver -w
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.2; done
[ -s "$work/display" ] || { result FAIL "Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")

# Screenshots on the driver's request: NAME.want appears, NAME.png follows.
(
  while :; do
    for want in "$work"/shots/*/*.want; do
      [ -e "$want" ] || continue
      name=${want%.want}
      import -window root "$name.part.png" 2>/dev/null && mv "$name.part.png" "$name.png"
      rm -f "$want"
    done
    sleep 0.2
  done
) &
shooter_pid=$!

winpath() { winepath -w "$1" 2>/dev/null; }
echo "== unit tests on the Windows file layer (${SECONDS}s)"
# Left out: cases that expect "/" in native paths, drive letters to be missing, two names that
# differ only in letter case (one file on Windows), a case-only rename (Wine keeps the old
# case), or that make non-ASCII names through narrow C++ streams (the ANSI code page there).
linux_only="DirListTest.*:Drives.GameFolderCandidates:Form1Pages.OpenedGameFolderPasses"
linux_only+=":Form1DefaultFolder.*:FileSystemTest.WindowsPathsResolveWithoutRegardToCase"
linux_only+=":FileSystemTest.DriveLettersAreError76:FileSystemTest.AnExactNameWinsOverOthersOfAnotherCase"
linux_only+=":Form1Pages.ProgramNameMustMatchLetterCaseAndBeAFile"
linux_only+=":FileSystemTest.LettersBeyondAsciiMatchWithoutRegardToCase"
linux_only+=":AnalyseTest.ScratchFileIsWrittenInWindows1252"
units=
for arch in $exes; do  # the 64-bit build in build-win/tests, the 32-bit one in tests-x86
  tests=build-win/tests$([ "$arch" = x64 ] || echo "-$arch")/tamberlin-tests.exe
  echo "  $tests"
  (cd "$work" && timeout "$limit" wine "$root/$tests" --gtest_filter="-$linux_only" \
    >"$work/unit-$arch.log" 2>&1)
  unit=$?
  tr -d '\r' <"$work/unit-$arch.log" | grep -E '^\[  (PASSED|FAILED) ' | sort -u
  [ "$unit" -eq 0 ] && grep -q '^\[  PASSED' "$work/unit-$arch.log" \
    || { result FAIL "unit tests ($arch) under Wine failed (exit $unit)"; exit 1; }
  n=$(tr -d '\r' <"$work/unit-$arch.log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\./\1/p')
  units+="${units:+ and }$n ($arch)"
done

# One exe's whole run: the command line, the driven wizard, the installed trees and archive.
smoke_exe() {  # smoke_exe ARCH
  local arch=$1 exe=build-win/tamberlin-$1.exe dir=$work/$1 code
  echo "== $exe: the command line (${SECONDS}s)"
  # From a console, a word that is no command stays a usage error.
  (cd "$dir/mod" && timeout 60 wine "$root/$exe" "$(winpath "$dir/mod/readme.txt")" \
    >"$dir/usage.log" 2>&1)
  code=$?
  [ "$code" -eq 2 ] && grep -q "unknown command" "$dir/usage.log" \
    || { tr -d '\r' <"$dir/usage.log"; echo "FAIL: $exe with a file argument from a console exited $code, not 2"; return 1; }
  echo "  ok: a file argument from a console is a usage error (exit 2)"
  # A limited user: error 70, the advice, and nothing changed.
  (cd "$dir/mod" && TAMBERLIN_TEST_LIMITED_USER=1 timeout 60 wine "$root/$exe" install \
    "$(winpath "$dir/game-elevated")" >"$dir/limited.log" 2>&1)
  code=$?
  [ "$code" -eq 1 ] && tr -d '\r' <"$dir/limited.log" | grep -q "error 70" \
    && tr -d '\r' <"$dir/limited.log" | grep -q "run the command prompt as administrator" \
    || { tr -d '\r' <"$dir/limited.log"; echo "FAIL: $exe install as a limited user exited $code without the advice"; return 1; }
  [ ! -e "$dir/mod/installing.tmp" ] || { echo "FAIL: the limited user's install wrote installing.tmp"; return 1; }
  echo "  ok: install as a limited user: error 70 and the advice to run as administrator, nothing written"

  echo "== $exe: driving the wizard (${SECONDS}s)"
  timeout "$limit" wine "$driver" "$(winpath "$root/$exe")" "$(winpath "$dir/mod")" \
    "$(winpath "$dir/game")" "$(winpath "$dir/game-elevated")" "$(winpath "$work/empty")" \
    "$(winpath "$work/shots/$arch")" | tr -d '\r' | tee "$dir/driver.log"
  local last
  last=$(tail -n 1 "$dir/driver.log")
  [ "$last" = "driver: ok" ] || { echo "FAIL: $exe: ${last:-the driver printed nothing}"; return 1; }

  echo "== $exe: checking the installed trees and archives (${SECONDS}s)"
  local game img
  for game in game game-elevated; do
    # The journals hold dates and the game folder's own path: compared apart.
    diff -r -x Tamberlin "$work/ref/game" "$dir/$game" \
      || { echo "FAIL: $exe: $game differs from the reference install"; return 1; }
    [ -s "$dir/$game/Tamberlin/installs/0001/journal.txt" ] \
      || { echo "FAIL: $exe: $game has no install journal"; return 1; }
    img=$(winpath "$dir/$game/models/gta3.img")
    timeout 60 wine "$exe" img check "$img" >"$dir/check.log" 2>&1
    code=$?
    tr -d '\r' <"$dir/check.log"
    [ "$code" -eq 0 ] || { echo "FAIL: $exe: img check of $game's archive failed (exit $code)"; return 1; }
  done
  diff -r "$work/ref/mod" "$dir/mod" || { echo "FAIL: $exe: the mod folder differs from the reference install"; return 1; }
  uninstall_check "$exe" "$dir/game" || return 1
}

# Takes the installation back with the Windows exe: every file as before it (the archive's
# added record stays hidden past the count, so the archive is checked by img check), the
# journal saying so.
uninstall_check() {  # uninstall_check EXE GAME
  local exe=$1 game=$2 code
  echo "== $exe: uninstall (${SECONDS}s)"
  timeout 60 wine "$exe" uninstall "$(winpath "$game")" 2>&1 | tr -d '\r' >"$game.uninstall.log"
  code=${PIPESTATUS[0]}
  tail -n 3 "$game.uninstall.log"
  [ "$code" -eq 0 ] || { echo "FAIL: $exe: uninstall failed (exit $code)"; return 1; }
  diff -r -x Tamberlin -x gta3.img "$work/untouched" "$game" \
    || { echo "FAIL: $exe: the game after uninstall differs from the untouched game"; return 1; }
  [ "$(stat -c %s "$game/models/gta3.img")" = "$(stat -c %s "$work/untouched/models/gta3.img")" ] \
    || { echo "FAIL: $exe: the archive's length after uninstall is not the untouched one"; return 1; }
  timeout 60 wine "$exe" img check "$(winpath "$game/models/gta3.img")" >/dev/null 2>&1 \
    || { echo "FAIL: $exe: img check after uninstall failed"; return 1; }
  timeout 60 wine "$exe" installs "$(winpath "$game")" 2>&1 | tr -d '\r' | grep -q uninstalled \
    || { echo "FAIL: $exe: installs does not list the installation as uninstalled"; return 1; }
}

times=
for arch in $exes; do
  start=$SECONDS
  smoke_exe "$arch" 2>&1 | tee "$work/$arch.log"
  code=${PIPESTATUS[0]}
  [ "$code" -eq 0 ] || { result FAIL "$(grep '^FAIL: ' "$work/$arch.log" | tail -n 1 | cut -c7-)"; exit 1; }
  times+="${times:+, }tamberlin-$arch.exe $((SECONDS - start))s"
done

# A mod saved on a Cyrillic system, installed under a Russian locale: Wine takes its ANSI code
# page from LANG, but only for a locale the machine has. The caption must read back right
# through the driver, the files must land under their own names, and the tree and archive must
# equal what the Linux install makes of the same mod under the same LANG.
cyrillic_mod() {  # cyrillic_mod DIR: a mod whose texts and script are in code page 1251
  local dir=$1
  mkdir -p "$dir/Файлы"
  cp examples/sample-mod/image.jpg "$dir/"
  printf 'Привет из мода\r\n' >"$dir/Привет.txt"
  printf 'модель рампы\r\n' >"$dir/Файлы/рампа.dff"
  printf 'новый танк\r\n' >"$dir/Файлы/танк.dff"
  printf '%s\r\n' "Русский мод 1.0" "Этот мастер ставит файлы с русскими именами." \
    "Установка" "Подождите, файлы копируются." "Установка: Русский мод" \
    | iconv -f UTF-8 -t CP1251 >"$dir/text.cfg"
  printf '%s\r\n' "; Русский мод" 'MAKEDIR Моды' 'MAKEDIR Моды\Русский' 'ADD Привет.txt, Моды\Русский\Привет.txt' \
    'ADD Привет.txt, Моды\Русский\Старый.bak' 'DELETE Моды\Русский\СТАРЫЙ.*' \
    'REPINIMG \models\gta3.img, sunramp.dff, Файлы\рампа.dff' \
    'ADDINIMG \models\gta3.img, Файлы\танк.dff' | iconv -f UTF-8 -t CP1251 >"$dir/ins.cfg"
}

cyrillic_run() {  # prints what it checked; returns 1 after printing why it failed
  local exe=build-win/tamberlin-x64.exe
  need_packages locales
  if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
    localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 || { echo "cannot make the ru_RU.UTF-8 locale"; return 1; }
  fi
  local ru=$work/ru side
  for side in wine ref; do
    mkdir -p "$ru/$side"
    BUILD_DIR=$root/$linux tools/make-demo-game.sh "$ru/$side/game" >/dev/null || return 1
    cyrillic_mod "$ru/$side/mod"
  done
  (cd "$ru/ref/mod" && env -u LC_ALL -u LC_CTYPE LANG=ru_RU.UTF-8 "$root/$linux/tamberlin" \
    install "$ru/ref/game" >"$ru/ref.log" 2>&1) || { cat "$ru/ref.log"; echo "the reference install failed"; return 1; }
  # A Wine process takes its code page when it starts; a running server keeps nothing of it.
  wineserver -k 2>/dev/null
  wineserver -w
  env -u LC_ALL -u LC_CTYPE LANG=ru_RU.UTF-8 timeout "$limit" wine "$driver" \
    "$(winpath "$root/$exe")" "$(winpath "$ru/wine/mod")" "$(winpath "$ru/wine/game")" "" "" "" \
    "Установка: Русский мод" | tr -d '\r' | tee "$ru/driver.log"
  grep -q '^session: a mod in code page 1251$' "$ru/driver.log" \
    || { echo "Wine did not run the wizard in code page 1251"; return 1; }
  [ "$(tail -n 1 "$ru/driver.log")" = "driver: ok" ] || { echo "the Cyrillic installation failed"; return 1; }
  local game=$ru/wine/game
  [ -f "$game/Моды/Русский/Привет.txt" ] && [ ! -e "$game/Моды/Русский/Старый.bak" ] \
    || { ls -R "$game"; echo "the Cyrillic files are not where their names say"; return 1; }
  LC_ALL=C grep -qaF "$(printf '\xf2\xe0\xed\xea.dff')" "$game/models/gta3.img" \
    || { echo "the archive has no entry \"танк.dff\" in code page 1251"; return 1; }
  diff -r -x Tamberlin "$ru/ref/game" "$game" || { echo "the Cyrillic install differs from the reference"; return 1; }
  echo "  ok: Cyrillic files, DELETE pattern and archive entry as the reference install makes them"
}

echo "== a Cyrillic mod under LANG=ru_RU.UTF-8 (${SECONDS}s)"
cyrillic_run >"$work/cyrillic.log" 2>&1
cyrillic=$?
cat "$work/cyrillic.log"
[ "$cyrillic" -eq 0 ] || { result FAIL "Cyrillic mod: $(tail -n 1 "$work/cyrillic.log")"; exit 1; }

mkdir -p build-win/smoke-shots
shots=0
for arch in $exes; do
  mkdir -p "build-win/smoke-shots/$arch"
  cp "$work/shots/$arch"/*.png "build-win/smoke-shots/$arch/" 2>/dev/null
  n=$(ls "$work/shots/$arch"/*.png 2>/dev/null | wc -l)
  [ "$n" -ge 6 ] || { result FAIL "only $n screenshots of tamberlin-$arch.exe"; exit 1; }
  shots=$((shots + n))
done
ran=$(for arch in $exes; do printf 'tamberlin-%s.exe ' "$arch"; done)
result PASS "$units unit tests on the Windows file layer; ${ran% } each driven through start-up failure, close question after a file from Explorer, installation, and installation through the elevated copy; trees and archives equal the reference; the installation taken back by uninstall; a Cyrillic mod installed in code page 1251; command line's usage error and limited-user advice ($times); $shots screenshots in build-win/smoke-shots${x86_note:+; $x86_note}"
