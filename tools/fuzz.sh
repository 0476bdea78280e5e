#!/usr/bin/env bash
# Runs one libFuzzer target for a while: tools/fuzz.sh TARGET SECONDS
#   TARGET: read_img, script or install (tests/fuzz/); SECONDS: how long.
# Builds build-fuzz/ with clang when needed. The seeds of tests/fuzz/corpus/TARGET are copied
# into a working corpus (build-fuzz/corpus/TARGET) that grows across runs; inputs that break a
# property land in build-fuzz/artifacts/ (copy them to tests/fuzz/regressions/TARGET-NAME, where
# the unit tests replay them). Runs niced, one job: the machine is shared.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
  echo "usage: tools/fuzz.sh read_img|script|install SECONDS" >&2
  exit 2
fi
target=$1
seconds=$2
case $target in read_img | script | install) ;; *)
  echo "tools/fuzz.sh: unknown target '$target'" >&2
  exit 2
  ;;
esac

build=build-fuzz
if ! command -v clang++ >/dev/null; then
  echo "tools/fuzz.sh: clang++ is missing: apt-get install clang libclang-rt-14-dev" >&2
  exit 1
fi
if [ ! -f $build/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B $build -G Ninja -DTAMBERLIN_FUZZ=ON -DTAMBERLIN_BENCH=OFF \
    -DTAMBERLIN_GUI=none -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
nice cmake --build $build --target "fuzz_$target" >/dev/null

corpus=$build/corpus/$target
mkdir -p "$corpus" $build/artifacts
cp -n tests/fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
# Scratch files of the targets go to memory where there is some: the targets sync often.
scratch=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
log=$build/artifacts/$target.log
set +e
TMPDIR=$scratch ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  nice -n 10 "$build/fuzz/fuzz_$target" "$corpus" -max_total_time="$seconds" -max_len=16384 \
  -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/$target-" >"$log" 2>&1
status=$?
set -e
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
echo "$target: $runs runs in ${seconds}s, corpus $(ls "$corpus" | wc -l) inputs, exit $status (log: $log)"
grep -E '^(==[0-9]+==ERROR|property failed|SUMMARY)' "$log" | head -5 || true
exit $status
