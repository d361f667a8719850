#!/usr/bin/env bash
# The Windows converter, run under Wine, against the converter built for
# this machine: the same texts, profiles and options must give the same
# bytes (tables, BIN files, exported profiles, the profile database) and
# the same exit status, through files with Cyrillic names, pipes and
# redirections.
# Usage: cli_under_wine.sh WINDOWS_CLI.exe HOST_CLI DATA_DIR RUNNER...
# where RUNNER... starts a Windows program (tools/wine-run.sh PREFIX).
set -uo pipefail
windows_cli=${1:?usage: cli_under_wine.sh WINDOWS_CLI HOST_CLI DATA_DIR RUNNER...}
host_cli=${2:?} data=${3:?}
shift 3
runner=("$@")

# Wine turns Unix names and arguments into UTF-16 by the locale's charset.
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The Windows name of a Unix path: Wine shows the root as drive Z:.
windows_path() {
  local path=$1
  [[ $path == /* ]] || path=$work/$path
  printf 'Z:%s' "${path//\//\\}"
}

# Inputs and folders with names no 8-bit code page holds at once.
texts="Тексты для индикатора"
out="Вывод Ωμέγα"
mkdir -p "$texts" "$out/linux" "$out/windows" "данные/linux" "данные/windows"
cp "$data/privet.txt" "$texts/привет.txt"
printf '\xEF\xBB\xBFЖёлтый индикатор №7 — €\r\nВторая строка\nтретья\ttab \x01\r\n' \
  >"$texts/utf8.txt"
for ((i = 0; i < 3000; i++)); do
  printf 'Строка %d: съешь же ещё этих мягких французских булок, да выпей чаю.\r\n' "$i"
done >"$texts/длинный.txt"
inputs=("$texts/привет.txt" "$texts/utf8.txt" "$texts/длинный.txt")

# run SIDE ARGS...: runs one side's converter in the work folder with its
# own data folder; standard input is passed on.
run() {
  local side=$1
  shift
  if [ "$side" = linux ]; then
    TRULVEX_DATA_DIR="$work/данные/linux" "$host_cli" "$@"
  else
    TRULVEX_DATA_DIR=$(windows_path "данные/windows") \
      "${runner[@]}" "$windows_cli" "$@"
  fi
}

# same NAME ARGS...: both sides run ARGS, where {out} names the side's
# output folder and {work} the work folder (on Windows as Z:\...); their
# exit status, standard output (unless ignore_stdout=1) and every file they
# wrote must be equal.
same() {
  local name=$1
  shift
  local side status=()
  for side in linux windows; do
    local args=("${@//\{out\}/$out/$side}")
    local work_name=$work
    [ "$side" = linux ] || work_name=$(windows_path "$work")
    args=("${args[@]//\{work\}/$work_name}")
    run "$side" "${args[@]}" <"$stdin_file" >"$work/stdout.$side" 2>"$work/stderr.$side"
    status+=($?)
  done
  if [ "${status[0]}" != "${status[1]}" ]; then
    fail "$name: exit status ${status[0]} on Linux, ${status[1]} on Windows"
    sed 's/^/  windows: /' "$work/stderr.windows"
  fi
  [ "${ignore_stdout:-0}" = 1 ] ||
    cmp -s "$work/stdout.linux" "$work/stdout.windows" ||
    fail "$name: standard output differs"
  for side in "$out" "данные"; do
    if ! diff -r "$side/linux" "$side/windows" >/dev/null; then
      fail "$name: the files in $side differ"
      # The next checks start equal again.
      rm -rf "${side:?}/windows"
      cp -a "$side/linux" "$side/windows"
    fi
  done
  checks=$((checks + 1))
}

checks=0
stdin_file=/dev/null

# Tables: every built-in profile and overrides, to a Cyrillic path.
for input in "${inputs[@]}"; do
  base=$(basename "$input" .txt)
  same "table DT $base" table "$input" -o "{out}/$base.dt.asm"
  same "table DE $base" table -p "asm — de for pic" "$input" -o "{out}/$base.de.asm"
  same "table MikroBasic $base" table -p "MikroBasic For PIC" "$input" \
    -o "{out}/$base.bas"
  same "table overrides $base" table --set SI=0 --set "StartData=b'" \
    --set "EndData='" --set CountByteToComment=1 --set PerenosPoSlovam=1 \
    --set "Comment=// Комментарий " "$input" -o "{out}/$base.bin.asm"
  same "table to standard output $base" table "$input"
  same "table -o - $base" table -e utf-8 "$input" -o -
  same "bin $base" bin -o "{out}/$base.bin" "$input"
  same "bin cp1251 $base" bin -e cp1251 --delete-spaces -o "{out}/$base.cp.bin" "$input"
done
# The display preview as text, and as a picture (libpng here, zlib alone
# on Windows: the same picture in other bytes).
same "preview as text" preview --size 16x2 "$texts/привет.txt" \
  -o "{out}/превью.txt"
run windows preview -o "$out/windows/превью.png" "$texts/привет.txt" ||
  fail "preview as a picture"
head -c 8 "$out/windows/превью.png" | cmp -s - <(printf '\x89PNG\r\n\x1a\n') ||
  fail "preview as a picture: not a PNG file"
rm -f "$out/windows/превью.png"
checks=$((checks + 1))

# An absolute Windows path with drive letter and backslashes.
same "table absolute path" table "{work}/$texts/привет.txt" \
  -o "{work}/{out}/absolute.asm"

# Standard input from a pipe and from a redirected file.
for input in "${inputs[@]}"; do
  base=$(basename "$input" .txt)
  stdin_file=$input
  same "table from standard input $base" table -p "MikroBasic For PIC"
  same "bin from standard input $base" bin -o "{out}/$base.stdin.bin"
done
stdin_file=/dev/null

# piped NAME ARGS...: both sides read $stdin_file from a pipe and write
# into a pipe; the bytes that come out must be equal, and not none.
piped() {
  local name=$1 side
  shift
  for side in linux windows; do
    cat "$stdin_file" | run "$side" "$@" 2>/dev/null | cat >"$work/piped.$side"
  done
  [ -s "$work/piped.linux" ] || fail "$name: nothing came through the pipe"
  cmp -s "$work/piped.linux" "$work/piped.windows" || fail "$name differs"
  checks=$((checks + 1))
}
for input in "${inputs[@]}"; do
  base=$(basename "$input" .txt)
  stdin_file=$input
  piped "table through pipes $base" table -p "ASM — DE For PIC"
  piped "table -o - into a pipe $base" table -e auto --output-encoding utf-8 -o -
  piped "bin -o - into a pipe $base" bin -e auto --delete-spaces -o -
  piped "preview -o - into a pipe $base" preview --size 20x4 -o -
done
stdin_file=/dev/null
piped "profiles show into a pipe" profiles show "MikroBasic For PIC"

# A table on Windows' standard output keeps CR LF: text mode would make
# each line end CR CR LF.
run windows table "$texts/привет.txt" >"$work/table.windows" 2>/dev/null
cmp -s "$work/table.windows" "$data/privet_dt.golden" ||
  fail "table on standard output is not the golden table"
if grep -q $'\r\r' "$work/table.windows"; then
  fail "CR CR LF in a table written to standard output"
fi
checks=$((checks + 1))

# On a console the table defaults to UTF-8 and must show as such, not in
# the console's own code page. script(1) gives the program a terminal,
# which Wine turns into a console.
if command -v script >/dev/null; then
  printf -v command '%q ' "${runner[@]}" "$windows_cli" table "$texts/привет.txt"
  script -qec "$command" /dev/null </dev/null 2>&1 |
    sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' >"$work/console"
  grep -q 'Привет' "$work/console" ||
    fail "a table on a console is not shown in UTF-8: $(head -c 200 "$work/console")"
  checks=$((checks + 1))
fi

# BIN into an existing file: inserted, overwriting, appended past the end.
for side in linux windows; do printf 'ABCDEFGHIJ' >"$out/$side/rom.bin"; done
same "bin --existing --at" bin -o "{out}/rom.bin" --existing --at 4 \
  "$texts/привет.txt"
same "bin --existing --replace" bin -o "{out}/rom.bin" --existing --at=2 \
  --replace "$texts/utf8.txt"
same "bin past the end" bin -o "{out}/rom.bin" --existing --at 100000 \
  --past-end=append "$texts/привет.txt"
same "bin refused past the end" bin -o "{out}/rom.bin" --existing --at 100000 \
  "$texts/привет.txt"

# Profiles: export the built-in ones, import them and a Cyrillic-named one
# into a database that does not exist yet, then use them.
same "profiles list (built-in)" profiles list
same "profiles export" profiles export "{out}/мои профили" \
  "ASM — DE For PIC" "MikroBasic For PIC"
printf '[\xCC\xEE\xE9 \xEF\xF0\xEE\xF4\xE8\xEB\xFC]\r\nOst1 = 2\r\nDirective = [String].db[/String]\r\nSI = 1\r\nComment = [String]// [/String]\r\n' \
  >"$texts/свой.prof"
# Its message names the database, whose path differs.
ignore_stdout=1 same "profiles import (creates the database)" \
  profiles import "$texts/свой.prof"
same "profiles import --all" profiles import --all "$out/linux/мои профили.prof"
same "profiles list" profiles list
same "profiles show Cyrillic name" profiles show "мой профиль"
same "table with a Cyrillic profile name" table -p "Мой профиль" \
  "$texts/привет.txt" -o "{out}/свой.asm"
same "profiles export Cyrillic name" profiles export "{out}/экспорт.prof" \
  "Мой профиль" "asm — de for pic"
for side in linux windows; do cp "данные/$side/Profile.prof" "$out/$side/база.prof"; done
same "--profiles Cyrillic path" table --profiles "{out}/база.prof" \
  -p "мой профиль" "$texts/utf8.txt"

echo "$checks comparisons, $failures failed"
[ "$failures" -eq 0 ]
