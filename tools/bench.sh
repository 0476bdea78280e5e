#!/usr/bin/env bash
# Measures the archive engine on a game-sized archive and prints it side by side with the floor
# of the same work on this disk. Builds Release into build-bench/, generates the archive once
# (cached in build/bench-data/), and works on a copy of it.
#
#   tools/bench.sh            everything
#   tools/bench.sh --quick    fewer repetitions
#
# Targets: directory read < 5 ms; add and replace within 1.3x of a durable append of the same
# bytes; peak memory < 32 MiB while replacing an entry with a 256 MiB file.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
need_packages "${BUILD_PACKAGES[@]}"

reps=3
[ "${1:-}" = "--quick" ] && reps=1

echo "== build (Release, build-bench/)"
configure_and_build build-bench -DCMAKE_BUILD_TYPE=Release -DTAMBERLIN_TESTS=OFF

data=build/bench-data
mkdir -p "$data"
if [ ! -f "$data/game.img" ]; then
  echo "== generating a game-sized archive (once)"
  build-bench/tools/gen_archive "$data/game.img.part" --seed 1
  mv "$data/game.img.part" "$data/game.img"
fi
work=$data/work.img
trap 'rm -f "$work" "$work".payload-*' EXIT
cp "$data/game.img" "$work"
sync

echo "== benchmarks ($reps repetitions, medians)"
results=$data/results.json
TAMBERLIN_BENCH_ARCHIVE=$work build-bench/bench/tamberlin_bench \
  --benchmark_filter='^BM_(DirectoryRead_|Add_Engine|Replace_Engine|DurableAppend)' \
  --benchmark_repetitions="$reps" --benchmark_out="$results" --benchmark_out_format=json
# Extra benchmarks of other parts add their lines here.

# Median real time in ms of the benchmark whose name starts with $1 (the run itself with one
# repetition).
ms() {
  awk -v want="$1" -v reps="$reps" '
    function field(line) { sub(/^[^:]*: */, "", line); gsub(/[",]/, "", line); return line }
    /"name":/ { name = field($0) }
    /"real_time":/ { t = field($0) }
    /"time_unit":/ {
      u = field($0)
      if (index(name, want) == 1 && (reps == 1 || name ~ /_median$/)) {
        if (u == "ns") t /= 1e6; else if (u == "us") t /= 1e3; else if (u == "s") t *= 1e3
        printf "%.3f", t; exit
      }
    }' "$results"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }'; }
row() { printf "  %-34s %10s ms   %-26s %10s ms   %s\n" "$1" "$2" "$3" "$4" "$(ratio "$2" "$4")"; }

# The durable append as dd does it, for reference next to the in-process one.
dd_ms() {
  local file=$1 len
  len=$(stat -c %s "$work")
  local t0 t1
  t0=$(date +%s%N)
  dd if="$file" of="$work" bs=1M oflag=append conv=notrunc,fsync status=none
  t1=$(date +%s%N)
  truncate -s "$len" "$work"
  sync "$work"
  awk -v d=$((t1 - t0)) 'BEGIN { printf "%.3f", d / 1e6 }'
}

echo
echo "== results ($(nproc) cores; times are wall-clock medians)"
printf "  %-34s %13s   %-26s %13s   %s\n" "engine" "" "floor" "" "ratio"
row "ReadIMG, 16,300 entries" "$(ms BM_DirectoryRead_Engine)" "one read of the same bytes" "$(ms BM_DirectoryRead_Plain)"
for mb in 1 64; do
  append=$(ms "BM_DurableAppend/$mb/")
  row "add ${mb} MiB" "$(ms "BM_Add_Engine/$mb/")" "durable append ${mb} MiB" "$append"
  row "replace ${mb} MiB" "$(ms "BM_Replace_Engine/$mb/")" "durable append ${mb} MiB" "$append"
  if [ -f "$work.payload-${mb}M.bin" ]; then
    printf "  %-34s %13s   %-26s %10s ms\n" "" "" "dd oflag=append,fsync" "$(dd_ms "$work.payload-${mb}M.bin")"
  fi
done

echo
echo "== peak memory (replace with a 256 MiB file, in a child process)"
big=$work.payload-256M.bin
head -c $((256 << 20)) /dev/urandom >"$big"
base=$(build-bench/tools/peak_rss build-bench/tamberlin --version 2>&1 >/dev/null | sed -n 's/peak_rss_kib=//p')
name=$(build-bench/tamberlin img list "$work" | awk 'NR == 1000 { print $4 }')
peak=$(build-bench/tools/peak_rss build-bench/tamberlin img replace "$work" "$name" "$big" 2>&1 >/dev/null |
  sed -n 's/peak_rss_kib=//p')
printf "  %-34s %10s KiB\n" "tamberlin --version (baseline)" "$base" "img replace $name, 256 MiB" "$peak"
awk -v p="$peak" 'BEGIN { printf "  peak %.1f MiB (target < 32 MiB)\n", p / 1024 }'
echo
echo "targets: ReadIMG < 5 ms; add/replace within 1.3x of the durable append; peak < 32 MiB"
