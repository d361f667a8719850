#!/usr/bin/env bash
# Times whole trulvex-cli processes on generated code page 1251 texts of
# 64 MB and 1 GB (BENCH_SIZES_MB), read from a file and through a pipe,
# beside xxd -i and cp on the same file: wall time (median and range of
# RUNS), MB/s of input, the ratio to xxd -i and the peak memory (maximum
# resident set) of the converter's process. Tables and codes go to
# /dev/null, so that the figures measure the programs rather than a disk.
# The texts live in a temporary directory, memory-backed when there is
# one, which is removed afterwards. MB here is 2^20 bytes.
set -euo pipefail

cli=${1:?usage: streaming_bench.sh PATH/TO/trulvex-cli}
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
make_text=$(dirname "$cli")/bench/make_text
sizes=${BENCH_SIZES_MB:-"64 1024"}
runs=${RUNS:-5}

base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/trulvex-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
rss="$work/rss"

# measure REPS COMMAND: runs the bash COMMAND, in which TIME stands before
# the process whose memory counts; sets `median`, `low`, `high` (seconds)
# and `peak` (MB, the largest of the runs).
measure() {
  local reps=$1 command=${2//TIME//usr/bin/time -f %M -o $rss}
  local times=() kb=0
  for _ in $(seq "$reps"); do
    local start end
    start=$(date +%s%N)
    bash -c "$command" >/dev/null
    end=$(date +%s%N)
    times+=($((end - start)))
    local used
    used=$(tail -n 1 "$rss")
    [ "$used" -gt "$kb" ] && kb=$used
  done
  read -r median low high < <(printf '%s\n' "${times[@]}" | sort -n | awk '
    { t[NR] = $1 / 1e9 }
    END { printf "%.4f %.4f %.4f\n", t[int((NR + 1) / 2)], t[1], t[NR] }')
  peak=$(awk -v k="$kb" 'BEGIN { printf "%.1f", k / 1024 }')
}

declare -A result
# row KEY LABEL MB: prints a line and keeps the median and peak under KEY;
# `xxd_median` gives the ratio to xxd -i on the same text.
row() {
  local key=$1 label=$2 mb=$3
  result[$key]=$median
  result[$key.peak]=$peak
  awk -v l="$label" -v s="$median" -v lo="$low" -v hi="$high" -v m="$mb" \
      -v p="$peak" -v x="$xxd_median" 'BEGIN {
    printf "%-40s %8.3f  %7.3f-%-7.3f %9.0f %8.1fx %9s\n", l, s, lo, hi, m / s, x / s, p
  }'
}

model=$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo 2>/dev/null || true)
echo
echo "Machine: ${model:-unknown processor}, $(nproc) cores;" \
  "load average at start $(cut -d ' ' -f 1-3 /proc/loadavg 2>/dev/null || echo '?')"
echo "Texts in $base; outputs to /dev/null unless named; median and range of $runs runs"

for mb in $sizes; do
  input="$work/text-$mb.txt"
  "$make_text" $((mb * 1048576)) "$input"
  cat "$input" >/dev/null  # into the page cache
  big=$((mb > 256))
  xxd_runs=$((big ? 1 : (runs < 3 ? runs : 3)))

  echo
  printf '%-40s %8s  %-15s %9s %9s %9s\n' "$mb MB text" "median s" "range s" \
    "MB/s" "xxd -i/x" "peak MB"
  # First, so that every row can say how many times faster than xxd it is.
  measure "$xxd_runs" "TIME xxd -i '$input'"
  xxd_median=$median
  row "xxd.$mb" "xxd -i ($xxd_runs run$([ "$xxd_runs" = 1 ] || echo s))" "$mb"
  measure "$runs" "TIME '$cli' table -o /dev/null '$input'"
  row "table.$mb" "trulvex-cli table (first profile)" "$mb"
  measure "$runs" "cat '$input' | TIME '$cli' table -o /dev/null -"
  row "table-pipe.$mb" "  the same through a pipe" "$mb"
  measure "$runs" "TIME '$cli' table -p 'asm — de for pic' -o /dev/null '$input'"
  row "table-de.$mb" "trulvex-cli table (second profile)" "$mb"
  measure "$runs" "TIME '$cli' table -p 'mikrobasic for pic' -o /dev/null '$input'"
  row "table-mb.$mb" "trulvex-cli table (MikroBasic profile)" "$mb"
  measure "$runs" "TIME '$cli' bin -q -o /dev/null '$input'"
  row "bin.$mb" "trulvex-cli bin" "$mb"
  measure "$runs" "cat '$input' | TIME '$cli' bin -q -o /dev/null -"
  row "bin-pipe.$mb" "  the same through a pipe" "$mb"
  # Cleaning looks at runs of spaces across chunks: memory must stay flat.
  measure "$runs" "TIME '$cli' bin -q --delete-spaces -o /dev/null '$input'"
  row "bin-clean.$mb" "trulvex-cli bin --delete-spaces" "$mb"
  measure "$runs" "cat '$input' | TIME '$cli' bin -q --delete-spaces -o /dev/null -"
  row "bin-clean-pipe.$mb" "  the same through a pipe" "$mb"
  measure "$runs" "TIME '$cli' bin -q -o '$work/out.bin' '$input'; rm -f '$work/out.bin'"
  row "bin-file.$mb" "trulvex-cli bin to a file" "$mb"
  measure "$runs" "TIME cp '$input' '$work/out.cp'; rm -f '$work/out.cp'"
  row "cp.$mb" "cp to a file" "$mb"
  rm -f "$input"
done

echo
echo "Targets:"
for mb in $sizes; do
  awk -v mb="$mb" -v t="${result[table.$mb]}" -v x="${result[xxd.$mb]}" \
      -v b="${result[bin.$mb]}" -v bf="${result[bin-file.$mb]}" \
      -v cp="${result[cp.$mb]}" 'function verdict(ok) { return ok ? "met" : "NOT MET" }
  BEGIN {
    printf "%5d MB  table %5.0f MB/s (at least 500) %s; %5.1f times xxd -i (at least 25) %s\n",
      mb, mb / t, verdict(mb / t >= 500), x / t, verdict(x / t >= 25)
    printf "          bin   %5.0f MB/s (at least 2048) %s; to a file %.2f times cp (at most 1.5) %s\n",
      mb / b, verdict(mb / b >= 2048), bf / cp, verdict(bf / cp <= 1.5)
  }'
  for key in table table-pipe table-de table-mb bin bin-pipe bin-clean \
      bin-clean-pipe; do
    awk -v mb="$mb" -v k="$key" -v p="${result[$key.$mb.peak]}" 'BEGIN {
      printf "          peak %-14s %5.1f MB (at most 16) %s\n", k, p, (p <= 16 ? "met" : "NOT MET")
    }'
  done
done
