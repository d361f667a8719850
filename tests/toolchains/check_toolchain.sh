#!/usr/bin/env bash
# Proves a shipped profile with the real tool: the table of the sample text
# is compiled or assembled by the examples of README, the data bytes are
# taken out of the object file and must equal `trulvex-cli bin` of the same
# text byte for byte, for the text in UTF-8 and in code page 1251.
# usage: check_toolchain.sh CASE TRULVEX_CLI PROFILES EXAMPLES_DIR
set -euo pipefail
case_name=${1:?usage: check_toolchain.sh CASE CLI PROFILES EXAMPLES}
cli=${2:?} profiles=${3:?} examples=${4:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL ($case_name): $*"; exit 1; }

need() {
  local tool=$1 package=$2
  command -v "$tool" >/dev/null ||
    fail "$tool is missing: install the Debian package $package (tools/install-deps.sh does)"
}

# Makes msg.inc with the profile and compares the bytes `extract` leaves in
# data.bin with those of `trulvex-cli bin`. `build` compiles in $work.
prove() {
  local profile=$1 build=$2 extract=$3 pad=${4:-0}
  for encoding in utf-8 cp1251; do
    iconv -f utf-8 -t "$encoding" "$examples/msg.txt" >"$work/msg.txt"
    "$cli" table -q --profiles "$profiles" -p "$profile" -o "$work/msg.inc" \
      "$work/msg.txt" || fail "trulvex-cli table -p \"$profile\""
    "$cli" bin -q -o "$work/expected.bin" "$work/msg.txt"
    (cd "$work" && eval "$build") >"$work/log" 2>&1 ||
      fail "$(cat "$work/log")"
    (cd "$work" && eval "$extract") || fail "extracting the bytes"
    local size
    size=$(stat -c %s "$work/expected.bin")
    if ((pad)) && ((size % 2)); then
      # gpasm fills the last program word of an odd count with a zero.
      [[ $(tail -c 1 "$work/data.bin" | od -An -tx1 | tr -d ' ') == 00 ]] ||
        fail "no zero padding byte"
      truncate -s "$size" "$work/data.bin"
    fi
    cmp "$work/expected.bin" "$work/data.bin" ||
      fail "$encoding: the compiled bytes differ from trulvex-cli bin"
  done
  echo "$case_name: $size bytes equal in UTF-8 and cp1251"
}

cp "$examples"/* "$work/"
c_profile="C — массив для #include"
case $case_name in
  gcc)
    need gcc gcc
    prove "$c_profile" "gcc -std=c11 -Wall -Wextra -Werror -c -o msg.o msg_gcc.c" \
      "objcopy -O binary -j .rodata msg.o data.bin" ;;
  g++)
    need g++ g++
    prove "$c_profile" "g++ -Wall -Wextra -Werror -x c++ -c -o msg.o msg_gcc.c" \
      "objcopy -O binary -j .rodata msg.o data.bin" ;;
  avr-gcc)
    need avr-gcc gcc-avr
    need avr-objcopy binutils-avr
    [[ -f /usr/lib/avr/include/avr/pgmspace.h ]] ||
      fail "avr/pgmspace.h is missing: install the Debian package avr-libc"
    prove "$c_profile" \
      "avr-gcc -mmcu=atmega328p -Os -Wall -Wextra -Werror -c -o msg.o msg_avr.c" \
      "avr-objcopy -O binary -j .progmem.data msg.o data.bin" ;;
  sdcc)
    need sdcc sdcc
    need sdld sdcc
    prove "$c_profile" "sdcc -mmcs51 -c -o msg.rel msg_sdcc.c && sdld -i msg.ihx msg.rel </dev/null" \
      "objcopy -I ihex -O binary msg.ihx data.bin" ;;
  gas)
    need as binutils
    prove "GNU as — .byte" "as -o msg.o msg_gas.s" \
      "objcopy -O binary -j .rodata msg.o data.bin" ;;
  gas-avr)
    need avr-as binutils-avr
    prove "GNU as — .byte" "avr-as -mmcu=atmega328p -o msg.o msg_gas.s" \
      "avr-objcopy -O binary -j .rodata msg.o data.bin" ;;
  avr-as)
    need avr-as binutils-avr
    prove "AVR — avr-as .byte" "avr-as -mmcu=atmega328p -o msg.o msg_avr.S" \
      "avr-objcopy -O binary -j .progmem.data msg.o data.bin" ;;
  sdas8051)
    need sdas8051 sdcc
    prove "SDCC — 8051 .db" \
      "sdas8051 -o msg.rel msg_8051.asm && sdld -i msg.ihx msg.rel </dev/null" \
      "objcopy -I ihex -O binary msg.ihx data.bin" ;;
  gpasm)
    need gpasm gputils
    prove "PIC — gpasm db" "gpasm -o msg.hex msg_pic18.asm" \
      "objcopy -I ihex -O binary msg.hex data.bin" 1 ;;
  make)
    # The Makefile of README makes the table again when the text changes.
    need make make
    need gcc gcc
    run_make() {
      make -C "$work" TRULVEX_CLI="$cli" PROFILES="$profiles" >"$work/log" 2>&1 ||
        fail "$(cat "$work/log")"
      objcopy -O binary -j .rodata "$work/msg.o" "$work/data.bin"
      "$cli" bin -q -o "$work/expected.bin" "$work/msg.txt"
      cmp "$work/expected.bin" "$work/data.bin" || fail "bytes differ"
    }
    run_make
    sleep 1 && echo "Новая строка" >>"$work/msg.txt"
    run_make
    grep -q 'Новая строка' "$work/msg.inc" || fail "msg.inc was not made again"
    echo "make: table made again after the text changed" ;;
  cmake)
    need cmake cmake
    need gcc gcc
    build_cmake() {
      cmake --build "$work/build" >"$work/log" 2>&1 || fail "$(cat "$work/log")"
      objcopy -O binary -j .rodata \
        "$work/build/CMakeFiles/lcd_message.dir/msg_gcc.c.o" "$work/data.bin"
      "$cli" bin -q -o "$work/expected.bin" "$work/msg.txt"
      cmp "$work/expected.bin" "$work/data.bin" || fail "bytes differ"
    }
    cmake -S "$work" -B "$work/build" -DTRULVEX_CLI="$cli" \
      -DTRULVEX_PROFILES="$profiles" >"$work/log" 2>&1 || fail "$(cat "$work/log")"
    build_cmake
    sleep 1 && echo "Новая строка" >>"$work/msg.txt"
    build_cmake
    grep -q 'Новая строка' "$work/build/msg.inc" || fail "msg.inc was not made again"
    echo "cmake: table made again after the text changed" ;;
  *) fail "unknown case" ;;
esac
