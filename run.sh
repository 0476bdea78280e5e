#!/usr/bin/env bash
# Sets up, builds and runs the main job: the install wizard on the bundled sample mod
# (examples/sample-mod/) against a fresh demo game folder.
#
#   demo/Sunset Ramps/          a fresh copy of the sample mod; the wizard starts here
#   demo/wine/drive_c/Program Files/Rockstar Games/GTA San Andreas/
#                               a fresh demo game folder (gta_sa.exe and models/gta3.img)
#
# WINEPREFIX points at demo/wine, where the wizard looks for the game on Linux, so the folder page
# opens on the demo game and "Next >" goes straight on. Without a display the same demo is
# installed headless through the wizard's own installation code.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
source tools/deps.sh
need_packages "${BUILD_PACKAGES[@]}"

echo "== build (build/)"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target tamberlin gen_archive

rm -rf demo/wine "demo/Sunset Ramps"
mkdir -p demo
game="demo/wine/drive_c/Program Files/Rockstar Games/GTA San Andreas"
BUILD_DIR=build tools/make-demo-game.sh "$game" >/dev/null
cp -r examples/sample-mod "demo/Sunset Ramps"
game=$(cd "$game" && pwd)
export PATH="$root/build:$PATH"
cd "demo/Sunset Ramps"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cat <<EOT
== the wizard, in $PWD
   Welcome page: "Next >". Folder page: it opens on the demo game folder
   ($game); "Next >" again installs. Confirm the file box and "Installation Complete".
EOT
  status=0
  # Qt wants a private runtime folder; root's session on a bare machine has none.
  if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "$XDG_RUNTIME_DIR" ]; then
    export XDG_RUNTIME_DIR="$root/demo/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  fi
  WINEPREFIX="$root/demo/wine" tamberlin || status=$?
  echo "== the wizard ended with exit code $status (0: installed, 3: cancelled)"
else
  echo "== no display (\$DISPLAY is empty): installing the same demo headless instead"
  step() { printf '\n== %s\n$ %s\n' "$1" "$2"; eval "$2"; }
  step "the sample mod's script, checked for its author" "tamberlin lint"
  step "what the installation would do (changes nothing)" "tamberlin install \"\$game\" --dry-run"
  step "the installation itself (boxes on stdout, progress on stderr)" "tamberlin install \"\$game\""
  step "the entries it replaced and added" "tamberlin img list \"\$game/models/gta3.img\" | grep sunramp"
  status=0
fi

if [ "$status" -ne 0 ]; then
  if [ "$status" -eq 3 ]; then
    echo "== cancelled: nothing was installed; run ./run.sh again to try once more"
  else
    echo "== the installation did not finish (exit code $status); see the message above"
  fi
  exit "$status"
fi
cat <<EOT

== where things went
  $PWD/   the mod's folder (ins.cfg; installing.tmp holds the last operands)
  $game/sunramps/   readme.txt and settings.ini, copied
  $game/models/gta3.img   sunramp.dff and sunramp.txd replaced, sunramp.col added
  $game/Tamberlin/installs/   the install journal: 'tamberlin installs' lists it, 'tamberlin uninstall' takes the mod back
  More: tools/img-demo.sh shows tamberlin img on a game-sized archive.
EOT
exit "$status"
