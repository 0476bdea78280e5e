#!/usr/bin/env bash
# Smoke test of the Windows build under Wine: the 64-bit wizard, unmodified, is driven from
# outside by build-win/win32-driver.exe on a generated game folder with a copy of the sample
# mod (start-up failure, close question, a whole installation). The installed tree and archive
# must equal, byte for byte, what the Linux headless install makes of the same mod and game;
# the archive must pass "img check" run by the Windows exe itself. Screenshots of each page go
# to build-win/smoke-shots/.
#
# A watchdog ends every run within its time; the last line printed is the one result line,
# and the exit code is 0 only on success.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source tools/deps.sh

limit=${SMOKE_TIME_LIMIT:-300}  # seconds for everything under Wine
result() {                       # result PASS|FAIL TEXT: the last line, and the exit code
  echo "windows-smoke: $1: $2"
  [ "$1" = PASS ]
}

need_packages wine wine64 fonts-wine xvfb xauth xdotool imagemagick cmake ninja-build g++

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
exe=build-win/tamberlin-x64.exe driver=build-win/win32-driver.exe
[ -f "$exe" ] && [ -f "$driver" ] || { result FAIL "the exe or the driver is missing"; exit 1; }

echo "== Linux tools for the reference install (build-win/linux) (${SECONDS}s)"
linux=build-win/linux
cmake -S . -B "$linux" -G Ninja -DTAMBERLIN_GUI=none -DTAMBERLIN_TESTS=OFF -DTAMBERLIN_BENCH=OFF \
  >/dev/null && cmake --build "$linux" --target tamberlin gen_archive -j 2 >"$work/linux.log" 2>&1 \
  || { tail -20 "$work/linux.log"; result FAIL "the Linux build failed"; exit 1; }

echo "== game folders and mods ($work) (${SECONDS}s)"
for side in wine ref; do
  mkdir -p "$work/$side"
  BUILD_DIR=$root/$linux tools/make-demo-game.sh "$work/$side/game" >/dev/null \
    || { result FAIL "make-demo-game.sh failed"; exit 1; }
  cp -r examples/sample-mod "$work/$side/mod"
done
mkdir -p "$work/empty" "$work/shots"
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
    for want in "$work"/shots/*.want; do
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
(cd "$work" && timeout "$limit" wine "$root/build-win/tests/tamberlin-tests.exe" \
  --gtest_filter="-$linux_only" >"$work/unit.log" 2>&1)
unit=$?
tr -d '\r' <"$work/unit.log" | grep -E '^\[  (PASSED|FAILED) ' | sort -u
[ "$unit" -eq 0 ] && grep -q '^\[  PASSED' "$work/unit.log" \
  || { result FAIL "unit tests under Wine failed (exit $unit)"; exit 1; }
units=$(tr -d '\r' <"$work/unit.log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\./\1/p')

echo "== driving the wizard (${SECONDS}s)"
timeout "$limit" wine "$driver" "$(winpath "$root/$exe")" "$(winpath "$work/wine/mod")" \
  "$(winpath "$work/wine/game")" "$(winpath "$work/empty")" "$(winpath "$work/shots")" \
  | tr -d '\r' | tee "$work/driver.log"
last=$(tail -n 1 "$work/driver.log")
[ "$last" = "driver: ok" ] || { result FAIL "${last:-the driver printed nothing}"; exit 1; }

echo "== checking the installed tree and archive (${SECONDS}s)"
if ! diff -r "$work/ref/game" "$work/wine/game"; then
  result FAIL "the game folder differs from the reference install"
  exit 1
fi
if ! diff -r "$work/ref/mod" "$work/wine/mod"; then
  result FAIL "the mod folder differs from the reference install"
  exit 1
fi
img=$(winpath "$work/wine/game/models/gta3.img")
timeout 60 wine "$exe" img check "$img" >"$work/check.log" 2>&1
check=$?
tr -d '\r' <"$work/check.log"
[ "$check" -eq 0 ] || { result FAIL "img check of the installed archive failed (exit $check)"; exit 1; }

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
    "$(winpath "$root/$exe")" "$(winpath "$ru/wine/mod")" "$(winpath "$ru/wine/game")" "" "" \
    "Установка: Русский мод" | tr -d '\r' | tee "$ru/driver.log"
  grep -q '^session: a mod in code page 1251$' "$ru/driver.log" \
    || { echo "Wine did not run the wizard in code page 1251"; return 1; }
  [ "$(tail -n 1 "$ru/driver.log")" = "driver: ok" ] || { echo "the Cyrillic installation failed"; return 1; }
  local game=$ru/wine/game
  [ -f "$game/Моды/Русский/Привет.txt" ] && [ ! -e "$game/Моды/Русский/Старый.bak" ] \
    || { ls -R "$game"; echo "the Cyrillic files are not where their names say"; return 1; }
  LC_ALL=C grep -qaF "$(printf '\xf2\xe0\xed\xea.dff')" "$game/models/gta3.img" \
    || { echo "the archive has no entry \"танк.dff\" in code page 1251"; return 1; }
  diff -r "$ru/ref/game" "$game" || { echo "the Cyrillic install differs from the reference"; return 1; }
  echo "  ok: Cyrillic files, DELETE pattern and archive entry as the reference install makes them"
}

echo "== a Cyrillic mod under LANG=ru_RU.UTF-8 (${SECONDS}s)"
cyrillic_run >"$work/cyrillic.log" 2>&1
cyrillic=$?
cat "$work/cyrillic.log"
[ "$cyrillic" -eq 0 ] || { result FAIL "Cyrillic mod: $(tail -n 1 "$work/cyrillic.log")"; exit 1; }

mkdir -p build-win/smoke-shots
shots=$(ls "$work"/shots/*.png 2>/dev/null | wc -l)
cp "$work"/shots/*.png build-win/smoke-shots/ 2>/dev/null
[ "$shots" -ge 5 ] || { result FAIL "only $shots screenshots"; exit 1; }
result PASS "$units unit tests on the Windows file layer; wizard driven through start-up failure, close question and installation; tree and archive equal the reference; a Cyrillic mod installed in code page 1251; $shots screenshots in build-win/smoke-shots"
