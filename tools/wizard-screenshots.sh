#!/usr/bin/env bash
# wizard-screenshots.sh [OUT_DIR]: renders the wizard's three pages on the sample mod into
# OUT_DIR (default docs/screenshots) with the program's own --screenshot option. The folder page
# shows a demo game folder where the game lives under Wine, so it opens there by itself.
# Needs a build (BUILD_DIR, default build/); no display is needed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$here/docs/screenshots}")
build=$(realpath -m "${BUILD_DIR:-$here/build}")
bin=$build/tamberlin
[ -x "$bin" ] || { echo "$0: $bin is missing: build first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/examples/sample-mod" "$work/Sunset Ramps"
prefix=$work/wine
BUILD_DIR=$build "$here/tools/make-demo-game.sh" \
  "$prefix/drive_c/Program Files/Rockstar Games/GTA San Andreas" >/dev/null
mkdir -p "$out" "$work/xdg"
chmod 700 "$work/xdg"
cd "$work/Sunset Ramps"
for page in welcome folder install; do
  WINEPREFIX=$prefix XDG_RUNTIME_DIR=$work/xdg QT_QPA_PLATFORM=offscreen \
    "$bin" --screenshot "$page" "$out/$page.png"
  echo "$out/$page.png"
done
