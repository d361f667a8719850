#!/usr/bin/env bash
# Nothing lost, nothing leaked, measured on the built converter: concurrent
# imports into one database, memory running out under `ulimit -v`, and
# `-o /dev/stdout` appended to a log. Not part of `make test`: it takes
# about a minute and 500 MB of scratch space.
#
#   bench/reliability.sh [path/to/trulvex-cli] [scratch directory] [rounds]
set -uo pipefail
cli=$(realpath "${1:-build/trulvex-cli}")
work=${2:-$(mktemp -d)}
rounds=${3:-10}
writers=20
mkdir -p "$work"
cd "$work" || exit 1
export TRULVEX_DATA_DIR="$work/data"
mkdir -p "$TRULVEX_DATA_DIR"
failed=0

# Concurrent imports: each of 20 runs adds its own profile; odd rounds
# start without a database, so that the runs also race to create it.
lost_total=0
for round in $(seq 1 "$rounds"); do
  [ $((round % 2)) -eq 1 ] && rm -f Profile.prof
  pids=()
  for i in $(seq 1 $writers); do
    printf '[Round%s-P%s]\r\nDirective = Dt\r\n' "$round" "$i" >"p$i.prof"
  done
  for i in $(seq 1 $writers); do
    "$cli" profiles import "p$i.prof" --profiles Profile.prof \
      >/dev/null 2>>import.err &
    pids+=($!)
  done
  bad_exit=0
  for pid in "${pids[@]}"; do wait "$pid" || bad_exit=$((bad_exit + 1)); done
  present=$("$cli" profiles list --profiles Profile.prof | grep -c "^Round$round-P")
  lost=$((writers - present))
  lost_total=$((lost_total + lost))
  leftovers=$(find . -maxdepth 1 -name '.Profile.prof*' | wc -l)
  echo "imports round $round: $present of $writers present," \
    "$bad_exit failed exits, $leftovers files left beside the database"
  [ "$lost" -eq 0 ] && [ "$bad_exit" -eq 0 ] && [ "$leftovers" -eq 0 ] ||
    failed=1
done
echo "imports: $((rounds * writers)) tried, $lost_total lost"

# Memory running out: "недостаточно памяти", exit 3, no partial file.
if [ ! -f big.prof ]; then
  i=0
  while [ "$(stat -c %s big.prof 2>/dev/null || echo 0)" -lt 105906176 ]; do
    for j in $(seq 1 5000); do
      printf '[P%s]\r\nOst1 = 4\r\nDirective = Dt\r\n' $((i * 5000 + j))
    done >>big.prof
    i=$((i + 1))
  done
fi
[ -f line400.txt ] || head -c 419430400 /dev/zero | tr '\0' 'A' >line400.txt
[ -f text400.txt ] || yes 'Hello LCD 0123456789' | head -c 419430400 >text400.txt
printf 'AB' >ab.txt
memory_case() {  # expected-exit limit-KB description command...
  local expected=$1 limit=$2 what=$3
  shift 3
  rm -f out.asm
  (ulimit -v "$limit" && "$@") >/dev/null 2>memory.err
  local status=$?
  local said=no partial=none
  grep -q 'недостаточно памяти' memory.err && said=yes
  ls -a | grep -q '^\.out\.asm' && partial=left
  [ "$status" -ne 0 ] && [ -e out.asm ] && partial=left
  echo "memory: $what under ulimit -v $limit: exit $status," \
    "message $said, partial file $partial"
  [ "$status" -eq "$expected" ] && [ "$partial" = none ] || failed=1
  [ "$status" -eq 0 ] || [ "$said" = yes ] || failed=1
}
memory_case 3 400000 "profiles list, 101 MB database" \
  "$cli" profiles list --profiles big.prof
# Streamed: a 400 MB text of lines needs a few megabytes.
memory_case 0 300000 "table -o, 400 MB text of lines" \
  "$cli" table -o out.asm text400.txt
memory_case 3 300000 "table -o, 400 MB text on one line, CountByte 0" \
  "$cli" table --set CountByte=0 -o out.asm line400.txt
memory_case 3 200000 "table -o, 200 MB indent" \
  "$cli" table --set Ost1=200000000 -o out.asm ab.txt

# Standard output as the target keeps what the log held.
printf 'previous line\n' >log.txt
"$cli" table -o /dev/stdout ab.txt >>log.txt
if [ "$(head -n 1 log.txt)" = "previous line" ] && [ "$(wc -l <log.txt)" -eq 3 ]; then
  echo "-o /dev/stdout >> log.txt: earlier line kept"
else
  echo "-o /dev/stdout >> log.txt: earlier line LOST"
  failed=1
fi
exit $failed
