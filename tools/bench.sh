#!/usr/bin/env bash
# Measures the archive engine on a game-sized archive and prints it side by side with the floor
# of the same work on this disk. Builds Release into build-bench/, generates the archive once
# (cached in build/bench-data/), and works on a copy of it.
#
#   tools/bench.sh                everything
#   tools/bench.sh --quick        fewer repetitions
#   tools/bench.sh --start-only   only the whole-process rows (start, img list, memory)
#   tools/bench.sh --against BIN  also times another tamberlin (an older build) in the same turns
#
# Whole processes: tamberlin --version <= 3 ms, img list of the 16,300 entries <= 10 ms, its
# peak memory <= 6 MB, each next to cat of the archive's directory bytes.
# Targets: directory read < 5 ms; add and replace within 1.3x of a durable append of the same
# bytes; peak memory < 32 MiB while replacing an entry with a 127 MiB file (an entry holds at
# most 128 MiB).
# The 1,000-line install without and with the install journal: with it at most 1.5x the time and
# one more flush per script line; beside it the bytes the journal keeps for taking it back, for
# that install and for the sample mod (examples/sample-mod) on a demo game.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
need_packages "${BUILD_PACKAGES[@]}"

reps=3 start_only= against=
while [ $# -gt 0 ]; do
  case $1 in
    --quick) reps=1 ;;
    --start-only) start_only=1 ;;
    --against) against=$(realpath "$2"); shift ;;
    *) echo "usage: tools/bench.sh [--quick] [--start-only] [--against TAMBERLIN]" >&2; exit 2 ;;
  esac
  shift
done

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

# Whole processes, run in turns so each meets the same load (tools/proc_bench.cpp): start-up,
# img list of the game archive and its peak memory, next to cat of the directory's bytes (the
# header and the records, cut from the archive once), which every list must at least read.
dirbytes=$data/directory.bin
if [ ! -f "$dirbytes" ]; then
  count=$(od -An -tu4 -j4 -N4 "$data/game.img" | tr -d ' ')
  head -c $((8 + 32 * count)) "$data/game.img" >"$dirbytes"
fi
runs=$((reps == 1 ? 50 : 200))
echo
echo "== whole processes ($runs runs each, in turns; wall-clock medians)"
cmds=(-- build-bench/tamberlin --version -- build-bench/tamberlin img list "$work" -- cat "$dirbytes")
[ -n "$against" ] && cmds+=(-- "$against" --version -- "$against" img list "$work")
mapfile -t procs < <(build-bench/tools/proc_bench "$runs" "${cmds[@]}")
pget() { sed -n "s/.*$2=\([0-9.]*\).*/\1/p" <<<"${procs[$1]}"; }
prow() {  # prow LABEL INDEX: time and peak memory of command INDEX next to cat's
  local kib
  kib=$(pget "$2" peak_rss_kib)
  printf "  %-30s %8s ms %6.2fx   %6s KiB %6.2fx\n" "$1" "$(pget "$2" median_ms)" \
    "$(awk -v a="$(pget "$2" median_ms)" -v b="$(pget 2 median_ms)" 'BEGIN { print a / b }')" \
    "$kib" "$(awk -v a="$kib" -v b="$(pget 2 peak_rss_kib)" 'BEGIN { print a / b }')"
}
printf "  %-30s %11s %7s   %10s %7s\n" "" "time" "vs cat" "peak" "vs cat"
prow "tamberlin --version" 0
prow "tamberlin img list, 16,300" 1
prow "cat of the directory bytes" 2
if [ -n "$against" ]; then
  prow "--against: --version" 3
  prow "--against: img list" 4
  echo "  (--against: $against)"
fi
echo "targets: --version <= 3 ms; img list <= 10 ms and peak <= 6 MB (6144 KiB)"
echo "  ($(ldd build-bench/tamberlin | wc -l) shared objects mapped by build-bench/tamberlin)"
[ -n "$start_only" ] && exit 0

echo "== benchmarks ($reps repetitions, medians)"
results=$data/results.json
# Every benchmark in one run; one that fails is reported and leaves the others' results. The
# repetitions are interleaved, so that pairs compared below (the install without and with the
# journal) meet the same swings of the disk's load.
TAMBERLIN_BENCH_ARCHIVE=$PWD/$work build-bench/bench/tamberlin_bench \
  --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
  --benchmark_out="$results" --benchmark_out_format=json ||
  echo "(tamberlin_bench failed; the rows below that lack a time are missing)" >&2
# Extra benchmarks of other parts add their lines here.

# Value of KEY (real_time in ms when KEY is "ms") of the benchmark whose name starts with PREFIX:
# its median over the repetitions, or the run itself with one repetition.
jget() {
  awk -v want="$1" -v key="$2" -v reps="$reps" '
    function val(line) { sub(/^[^:]*: */, "", line); gsub(/[",]/, "", line); return line }
    /"name":/ { name = val($0); hit = index(name, want) == 1 && (reps == 1 || name ~ /_median$/) }
    !hit { next }
    /"real_time":/ { t = val($0) }
    /"time_unit":/ { u = val($0) }
    index($0, "\"" key "\":") { v = val($0) }
    /^ *}/ {
      if (key == "ms") {
        v = t
        if (u == "ns") v /= 1e6; else if (u == "us") v /= 1e3; else if (u == "s") v *= 1e3
      }
      printf "%.3f", v; exit
    }' "$results"
}
ms() { jget "$1" ms; }
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
# Add and replace were timed in turns with a durable append of the same file (the floor), so
# both met the same disk and load; the ratio is of their totals.
for mb in 1 64; do
  for op in Add Replace; do
    run="BM_VsDurableAppend/$op/$mb/"
    row "$(echo "$op" | tr A-Z a-z) ${mb} MiB" "$(ms "$run")" "durable append ${mb} MiB" \
      "$(jget "$run" append_ms)"
  done
  if [ -f "$work.payload-${mb}M.bin" ]; then
    printf "  %-34s %13s   %-26s %10s ms\n" "" "" "(dd oflag=append,fsync, once)" \
      "$(dd_ms "$work.payload-${mb}M.bin")"
  fi
done

install=BM_Install_1000Lines/journal
printf "  %-34s %10s ms   (target < 3000 ms; it is mostly fsync: see README)\n" \
  "install, 1,000-line script" "$(ms $install:0/)"
row "install with the journal" "$(ms $install:1/)" "the same without it" "$(ms $install:0/)"
with=$(jget $install:1/ flushes_per_line) without=$(jget $install:0/ flushes_per_line)
printf "  %-34s %10s      %-26s %10s      %s, %s\n" "flushes a line, with the journal" \
  "$with" "the same without it" "$without" "$(ratio "$with" "$without")" \
  "$(awk -v a="$with" -v b="$without" 'BEGIN { printf "%+.3f a line", a - b }')"
echo "  targets: with the journal <= 1.5x the time, <= +1 flush per line" \
  "($(jget $install:1/ flushes | cut -d. -f1) flushes against $(jget $install:0/ flushes | cut -d. -f1))"

# What the journal keeps to take an installation back: backup.dat and the files in deleted\.
backup_bytes() {
  find "$1/Tamberlin/installs" \( -name backup.dat -o -path '*/deleted/*' \) -type f -printf '%s\n' |
    awk '{ n += $1 } END { print n + 0 }'
}
demo=$PWD/$data/demo bin=$PWD/build-bench/tamberlin
rm -rf "$demo"
BUILD_DIR=build-bench tools/make-demo-game.sh "$demo/game" >/dev/null
cp -r examples/sample-mod "$demo/mod"
(cd "$demo/mod" && "$bin" install "$demo/game" >/dev/null 2>&1) ||
  echo "(the sample mod's install failed)" >&2
echo
echo "== bytes the journal keeps to take an installation back (backup.dat, deleted\\)"
printf "  %-34s %10s bytes\n" "install, 1,000-line script" "$(jget $install:1/ backup_bytes | cut -d. -f1)" \
  "sample mod on the demo game" "$(backup_bytes "$demo/game")"
rm -rf "$demo"

echo
echo "== peak memory (replace with a 127 MiB file, in a child process)"
big=$work.payload-127M.bin
head -c $((127 << 20)) /dev/urandom >"$big"
base=$(build-bench/tools/peak_rss build-bench/tamberlin --version 2>&1 >/dev/null | sed -n 's/peak_rss_kib=//p')
name=$(build-bench/tamberlin img list "$work" | awk 'NR == 1000 { print $4 }')
peak=$(build-bench/tools/peak_rss build-bench/tamberlin img replace "$work" "$name" "$big" 2>&1 >/dev/null |
  sed -n 's/peak_rss_kib=//p')
printf "  %-34s %10s KiB\n" "tamberlin --version (baseline)" "$base" "img replace $name, 127 MiB" "$peak"
awk -v p="$peak" 'BEGIN { printf "  peak %.1f MiB (target < 32 MiB)\n", p / 1024 }'
echo
echo "targets: ReadIMG < 5 ms; add/replace within 1.3x of the durable append; peak < 32 MiB"

# tamberlin img rebuild against cp of the same archive, run alternately on a copy of the game
# archive that 100 replaces have left fragmented (made once per run). cp keeps its bytes in the
# page cache; the rebuild flushes the new archive and its folder before it may rename, so
# "cp + sync" is the like-for-like floor and plain cp the one the target names.
echo
echo "== rebuild against cp of the same archive ($reps runs each, alternating; medians)"
frag=$data/rebuild-src.img
rb=$data/rebuild.img
trap 'rm -f "$work" "$work".payload-* "$frag" "$rb" "$rb".copy "$rb".rebuild.tmp "$rb".new-*' EXIT
cp "$data/game.img" "$frag"
i=0
for name in $(build-bench/tamberlin img list "$frag" | awk 'NR % 157 == 0 && NR <= 15700 { print $4 }'); do
  i=$((i + 1))
  head -c $((1000 + i * 997)) /dev/urandom >"$rb.new-$i"
  build-bench/tamberlin img replace "$frag" "$name" "$rb.new-$i" >/dev/null
  rm -f "$rb.new-$i"
done
build-bench/tamberlin img check "$frag" | tail -2 | head -1 | sed 's/^/  before: /'
now_ns() { date +%s%N; }
ms_between() { awk -v d=$(($2 - $1)) 'BEGIN { printf "%.1f", d / 1e6 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
cp_runs=() cps_runs=() rb_runs=()
for i in $(seq "$reps"); do
  cp "$frag" "$rb"
  sync
  t0=$(now_ns); cp "$rb" "$rb.copy"; t1=$(now_ns); sync "$rb.copy"; t2=$(now_ns)
  cp_runs+=("$(ms_between "$t0" "$t1")") cps_runs+=("$(ms_between "$t0" "$t2")")
  rm -f "$rb.copy"
  sync
  t0=$(now_ns); build-bench/tamberlin img rebuild "$rb" >/dev/null 2>&1; t1=$(now_ns)
  rb_runs+=("$(ms_between "$t0" "$t1")")
done
build-bench/tamberlin img check "$rb" | tail -2 | head -1 | sed 's/^/  after:  /'
rb_med=$(printf '%s\n' "${rb_runs[@]}" | median)
row "img rebuild, $(stat -c %s "$rb") bytes" "$rb_med" "cp of the same archive" \
  "$(printf '%s\n' "${cp_runs[@]}" | median)"
row "" "$rb_med" "cp, then sync of the copy" "$(printf '%s\n' "${cps_runs[@]}" | median)"
cp "$frag" "$rb"
peak=$(build-bench/tools/peak_rss build-bench/tamberlin img rebuild "$rb" 2>&1 >/dev/null |
  sed -n 's/peak_rss_kib=//p')
printf "  %-34s %10s KiB   (tamberlin --version: %s KiB)\n" "img rebuild peak memory" "$peak" "${base:-?}"
echo "  in-process (tamberlin_bench, 2,000 entries):" \
  "rebuild $(ms BM_Rebuild/) ms, by read and write $(ms BM_RebuildByReadAndWrite/) ms," \
  "whole-file copy + fsync $(ms BM_CopyWholeFile/) ms"
echo "target: img rebuild within 1.5x of cp"
