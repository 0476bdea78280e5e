#!/usr/bin/env bash
# Sets up, builds and runs the main job. Until the wizard demo lands here, it shows
# `tamberlin img` at work on a generated, game-like archive in a fresh folder (demo/img/).
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
source tools/deps.sh
need_packages "${BUILD_PACKAGES[@]}"

echo "== build (build/)"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target tamberlin gen_archive

demo=demo/img
rm -rf "$demo"
mkdir -p "$demo/mod"
export PATH="$PWD/build:$PWD/build/tools:$PATH"
cd "$demo"

step() { printf '\n== %s\n$ %s\n' "$1" "$2"; eval "$2"; }

step "a game-like archive of 2,000 entries" "gen_archive gta3.img --entries 2000 --seed 7 --include car.dff"
step "its first entries: index, offset and size in sectors, name" "tamberlin img list gta3.img | sed -n 1,5p"
head -c 150000 /dev/urandom >mod/newcar.dff
head -c 70000 /dev/urandom >mod/car.dff
step "add a mod's file as a new entry" "tamberlin img add gta3.img mod/newcar.dff"
step "give entry car.dff the bytes of the mod's car.dff" "tamberlin img replace gta3.img car.dff mod/car.dff"
step "a name in another letter case is not found" \
  "tamberlin img replace gta3.img CAR.DFF mod/car.dff || echo \"(exit \$?)\""
step "extract it again" "tamberlin img extract gta3.img car.dff car-extracted.dff"
if cmp -s -n 70000 mod/car.dff car-extracted.dff; then
  echo "(car-extracted.dff begins with the 70,000 bytes of mod/car.dff)"
else
  echo "car-extracted.dff differs from mod/car.dff" >&2
  exit 1
fi
step "the last entries now" "tamberlin img list gta3.img | tail -2"
step "check: car.dff's data now lies at the end, out of directory order" "tamberlin img check gta3.img"

cat <<EOT

== where things went
  $PWD/gta3.img             the archive (2,001 entries; car.dff's new data at its end)
  $PWD/mod/                 the files added and replaced
  $PWD/car-extracted.dff    entry car.dff taken out again
  More: build/tamberlin img --help
EOT

# The sample mod (examples/sample-mod/) installed without the wizard into a fresh demo game
# folder (demo/install/game/, made by tools/make-demo-game.sh), through the wizard's own code.
cd "$root"
inst=demo/install
rm -rf "$inst"
mkdir -p "$inst"
BUILD_DIR=build tools/make-demo-game.sh "$inst/game" >/dev/null
cp -r examples/sample-mod "$inst/mod"
cd "$inst/mod"
step "the sample mod's script, checked for its author" "tamberlin lint"
step "what the installation would do (changes nothing)" "tamberlin install ../game --dry-run"
step "the installation itself (boxes on stdout, progress on stderr)" "tamberlin install ../game"
step "the entries it replaced and added" "tamberlin img list ../game/models/gta3.img | grep sunramp"
step "run again: the folder that exists is no error; ADDINIMG appends a second sunramp.col, which the game passes over (the first of a name wins)" \
  "tamberlin install ../game 2>/dev/null && tamberlin img list ../game/models/gta3.img | grep sunramp"

cat <<EOT

== where things went
  $PWD/                        the mod's folder (ins.cfg; installing.tmp holds the last operands)
  $(cd ../game && pwd)/sunramps/          readme.txt and settings.ini, copied
  $(cd ../game && pwd)/models/gta3.img    sunramp.dff and sunramp.txd replaced, sunramp.col added
EOT
