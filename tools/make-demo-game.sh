#!/usr/bin/env bash
# make-demo-game.sh DIR: a stand-in game folder for trying installs: a placeholder gta_sa.exe
# and models/gta3.img, a generated "VER2" archive of 200 small entries that holds the entries
# the sample mod (examples/sample-mod) replaces. DIR must not exist yet or be empty.
#
# The archive generator is looked for in $BUILD_DIR/tools (default: build/tools).
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 DIR" >&2
  exit 2
fi
dir=$1
here=$(cd "$(dirname "$0")/.." && pwd)
gen=${BUILD_DIR:-$here/build}/tools/gen_archive
if [ ! -x "$gen" ]; then
  echo "$0: $gen is missing: build first (cmake --build build)" >&2
  exit 1
fi
if [ -e "$dir" ] && [ -n "$(ls -A "$dir")" ]; then
  echo "$0: $dir is not empty" >&2
  exit 1
fi

mkdir -p "$dir/models" "$dir/data"
printf 'MZ -- a placeholder for the game program; the installer only looks for its name.\r\n' \
  > "$dir/gta_sa.exe"
"$gen" "$dir/models/gta3.img" --entries 200 --small --seed 7 \
  --include sunramp.dff --include sunramp.txd >/dev/null
printf 'This folder stands in for the game folder of a demo install.\r\n' > "$dir/data/demo.txt"
echo "demo game folder: $dir"
