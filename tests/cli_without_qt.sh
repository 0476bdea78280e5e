#!/bin/sh
# cli_without_qt.sh TAMBERLIN: the command line loads no Qt library (ldd lists what the loader
# would map, so a library that pulls Qt in counts too), and alone in a folder, without the
# wizard's window program beside it, the program still runs its commands while the wizard
# fails with a message and exit code 1.
set -u
bin=$1
fail() { echo "FAIL: $*"; exit 1; }

libs=$(ldd "$bin") || fail "ldd $bin"
if printf '%s\n' "$libs" | grep -i 'libqt'; then fail "$bin links the Qt libraries above"; fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$bin" "$dir/tamberlin"
cd "$dir" || fail "cd $dir"
./tamberlin --version >/dev/null || fail "--version without the window program"
./tamberlin --screenshot welcome >/dev/null 2>&1
[ $? -eq 2 ] || fail "a wrong wizard option is not a usage error (exit 2)"
./tamberlin >out 2>err
code=$?
[ $code -eq 1 ] || fail "the wizard without its window program exits $code, not 1"
grep -q window err || fail "no message about the missing window: $(cat err)"
echo "ok: $(printf '%s\n' "$libs" | wc -l) libraries, none of Qt; $(cat err | head -1)"
