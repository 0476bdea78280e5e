#!/usr/bin/env bash
# img-demo.sh: `tamberlin img` at work on a generated, game-like archive in a fresh folder
# (demo/img/). Needs a build in build/ (./run.sh or ./test.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target tamberlin gen_archive >/dev/null
export PATH="$PWD/build:$PWD/build/tools:$PATH"

step() { printf '\n== %s\n$ %s\n' "$1" "$2"; eval "$2"; }

demo=demo/img
rm -rf "$demo"
mkdir -p "$demo/mod"
cd "$demo"

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

