#!/usr/bin/env bash
# Feeds the command-line converter the largest and most hostile inputs it is
# expected to survive and reports, for each, the exit status, the wall time
# and the peak memory. Not part of `make test`: it needs about 1 GB of disk
# and a few minutes.
#
#   bench/hostile_inputs.sh [path/to/trulvex-cli] [scratch directory]
set -euo pipefail
cli=$(realpath "${1:-build/trulvex-cli}")
work=${2:-$(mktemp -d)}
mkdir -p "$work"
cd "$work"
export TRULVEX_DATA_DIR="$work/data"
mkdir -p "$TRULVEX_DATA_DIR"

# A code page 1251 line of words: "Привет, мир! Hello LCD 0123456789".
line=$'\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0! Hello LCD 0123456789\r\n'
if [ ! -f text200.txt ]; then
  block=$(for _ in $(seq 1 2000); do printf '%s' "$line"; done)
  : >text200.txt
  while [ "$(stat -c %s text200.txt)" -lt 209715200 ]; do
    printf '%s' "$block" >>text200.txt
  done
fi
[ -f line100.txt ] || head -c 104857600 /dev/zero | tr '\0' 'A' >line100.txt
# The same text with lone CR line ends (8.5 MB), and as UTF-8.
[ -f cr8.txt ] || head -c 8912896 text200.txt | tr '\n' '\r' >cr8.txt
[ -f utf8.txt ] || iconv -f cp1251 -t utf-8 text200.txt >utf8.txt
printf 'short text\r\n' >short.txt

# CountByte 2147483647, Ost1 100000000 and a separator of 10 MB.
if [ ! -f hostile.prof ]; then
  {
    printf '[Hostile]\r\nOst1 = 100000000\r\nOst2 = 2\r\nCountByte = 2147483647\r\n'
    printf 'RazdelitelData = [String]'
    head -c 10485760 /dev/zero | tr '\0' ','
    printf '[/String]\r\n'
  } >hostile.prof
  {
    printf '[Separator]\r\nCountByte = 16\r\nRazdelitelData = [String]'
    head -c 10485760 /dev/zero | tr '\0' ','
    printf '[/String]\r\n'
  } >separator.prof
  {
    printf '[StartData]\r\nStartData = [String]'
    head -c 4194304 /dev/zero | tr '\0' 'x'
    printf '[/String]\r\n'
  } >startdata.prof
fi

# A 50 MB preference file: 120,000 profiles of 17 keys each.
if [ ! -f big.prof ]; then
  awk 'BEGIN { ORS = "\r\n";
    for (i = 0; i < 120000; i++) {
      print "[Profile " i "]"; print "Ost1 = 2"; print "Ost2 = 2";
      print "Directive = [String]De[/String]"; print "StartDataBlok = [String][/String]";
      print "EndDataBlok = [String][/String]"; print "StartData = [String]0x[/String]";
      print "SI = 2"; print "EndData = [String][/String]";
      print "RazdelitelData = [String], [/String]"; print "Comment = [String]; [/String]";
      print "CommentState = 1"; print "CountByte = 8"; print "PerenosPoSlovam = 0";
      print "CountByteToComment = 0"; print "DeleteSumbolError = 0";
      print "DeleteSpace = 0"; print "CountSpace = 2" } }' >big.prof
fi

run() {
  local label=$1
  shift
  local status=0
  /usr/bin/time -f '%e %M' -o time.txt "$cli" "$@" >stdout.txt 2>stderr.txt ||
    status=$?
  # time puts a line about a failed status first.
  read -r seconds kilobytes < <(tail -n 1 time.txt)
  printf '%-44s exit %d  %7.1f s  %6d MB peak  %s\n' "$label" "$status" \
    "$seconds" $((kilobytes / 1024)) "$(head -c 90 stderr.txt | tr '\n' ' ')"
}

size() { stat -c %s "$1"; }
# Prints the size of an output and removes it: the scratch space need not
# hold several gigabytes of tables at once.
output() {
  echo "  $1: $(size "$2" 2>/dev/null || echo 0) B"
  rm -f "$2"
}
echo "inputs: text $(size text200.txt) B, line $(size line100.txt) B," \
  "hostile profile $(size hostile.prof) B, preference file $(size big.prof) B"
run "table, 200 MB text" table -e cp1251 -o out.inc text200.txt
output table out.inc
run "bin, 200 MB text" bin -e cp1251 -o out.bin text200.txt
output bin out.bin
run "table, 200 MB text from a pipe" table -e cp1251 -o pipe.inc - \
  < <(cat text200.txt)
output table pipe.inc
run "table, 270 MB UTF-8 text from a pipe" table -o utf8.inc - \
  < <(cat utf8.txt)
output table utf8.inc
run "table, 8.5 MB text with CR line ends" table --set CountByte=0 \
  -o cr.inc cr8.txt
output table cr.inc
run "table, one character, 4 MB StartData" table \
  --profiles startdata.prof -p StartData -o startdata.inc short.txt
run "table, 100 MB line, word wrap" table --set CountByte=16 \
  --set PerenosPoSlovam=1 -o wrap.inc line100.txt
output table wrap.inc
run "table, CountByte 2^31-1, Ost1 1e8, 10 MB sep" table \
  --profiles hostile.prof -p Hostile -o hostile.inc short.txt
run "table, 10 MB separator, 200 MB text" table \
  --profiles separator.prof -p Separator -o separator.inc text200.txt
run "profiles list, 50 MB preference file" profiles list --profiles big.prof
echo "  listed: $(wc -l <stdout.txt) names"
run "table, last profile of 50 MB file" table --profiles big.prof \
  -p "Profile 119999" -o big.inc short.txt
run "profiles import --all into 50 MB database" profiles import \
  "$work/hostile.prof" --all --profiles big.prof
