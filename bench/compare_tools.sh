#!/usr/bin/env bash
# Times whole processes on one generated 64 MB code page 1251 text:
# trulvex-cli table and bin beside xxd -i and tr, best of several runs.
# Outputs go to a memory-backed directory when there is one, so that the
# figures measure the programs rather than the disk.
set -euo pipefail

cli=${1:?usage: compare_tools.sh PATH/TO/trulvex-cli}
bindir=$(dirname "$cli")
size=$((64 * 1024 * 1024))
runs=${RUNS:-5}

base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/trulvex-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

input="$work/text.txt"
"$bindir/bench/make_text" "$size" "$input"
cat "$input" >/dev/null  # into the page cache

# best_of NAME CMD...: best wall time in seconds and peak memory in KB.
declare -A seconds memory
best_of() {
  local name=$1
  shift
  local best="" peak=0
  for _ in $(seq "$runs"); do
    local start end elapsed rss
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@"
    end=$(date +%s%N)
    elapsed=$((end - start))
    rss=$(tail -n 1 "$work/rss")
    if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
    if [ "$rss" -gt "$peak" ]; then peak=$rss; fi
  done
  seconds[$name]=$(awk -v ns="$best" 'BEGIN { printf "%.4f", ns / 1e9 }')
  memory[$name]=$peak
}

best_of table "$cli" table -o /dev/null "$input"
best_of bin "$cli" bin -o /dev/null "$input" >/dev/null
best_of xxd sh -c "xxd -i '$input' >/dev/null"
best_of tr sh -c "tr a-z A-Z < '$input' >/dev/null"

mb=$(awk -v b="$size" 'BEGIN { print b / 1048576 }')
echo
echo "Input: $mb MB of code page 1251 text in $base; outputs to /dev/null; best of $runs runs"
printf '%-28s %9s %10s %12s\n' "process" "seconds" "MB/s" "peak MB"
for name in table bin xxd tr; do
  label=$name
  case $name in
    table) label="trulvex-cli table" ;;
    bin) label="trulvex-cli bin" ;;
    xxd) label="xxd -i" ;;
    tr) label="tr a-z A-Z" ;;
  esac
  awk -v l="$label" -v s="${seconds[$name]}" -v m="$mb" -v k="${memory[$name]}" \
    'BEGIN { printf "%-28s %9.3f %10.0f %12.1f\n", l, s, m / s, k / 1024 }'
done

limit_mb=$(awk -v m="$mb" 'BEGIN { print 1.5 * m + 32 }')
awk -v t="${seconds[table]}" -v b="${seconds[bin]}" -v x="${seconds[xxd]}" \
    -v r="${seconds[tr]}" -v m="$mb" -v tm="${memory[table]}" \
    -v bm="${memory[bin]}" -v lim="$limit_mb" 'BEGIN {
  printf "\ntable vs xxd -i: %.1f times as fast (target at least 12)\n", x / t
  printf "bin vs tr:       %.2f times as fast\n", r / b
  printf "table: %.0f MB/s (target at least 250)  %s\n", m / t, (m / t >= 250 ? "met" : "NOT MET")
  printf "bin:   %.0f MB/s (target at least 1024) %s\n", m / b, (m / b >= 1024 ? "met" : "NOT MET")
  printf "table vs xxd -i: %s\n", (x / t >= 12 ? "met" : "NOT MET")
  printf "peak memory: table %.1f MB, bin %.1f MB (limit %.0f MB) %s\n", tm / 1024, bm / 1024, lim, \
    (tm / 1024 < lim && bm / 1024 < lim ? "met" : "NOT MET")
}'
