#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks what a user gets:
# the programs run from there, the desktop entry and AppStream metadata
# pass their validators, the manual pages render without warnings, the
# icons are in place and the bash completion offers profile names.
# usage: check_install.sh BUILD_DIR WITH_GUI(ON|OFF)
set -euo pipefail
build=${1:?usage: check_install.sh BUILD_DIR WITH_GUI}
gui=${2:-ON}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=/usr/local
DESTDIR=$scratch/root cmake --install "$build" --prefix "$prefix" >/dev/null
root=$scratch/root$prefix
cli=$root/bin/trulvex-cli
export TRULVEX_DATA_DIR=$scratch/data HOME=$scratch/home
mkdir -p "$HOME"

[[ $("$cli" --version) == "trulvex-cli 1.2.0" ]] || fail "trulvex-cli --version"
printf 'Привет, мир!' >"$scratch/privet.txt"
codes=$("$cli" bin -q -o - "$scratch/privet.txt" | od -An -tx1 | tr -d ' \n')
[[ $codes == a870b8b365bf2c20bcb87021 ]] || fail "bin from the installed program: $codes"
"$cli" table "$scratch/privet.txt" | grep -q 'Dt    0xA8, 0x70' || fail "table"
"$cli" profiles list --profiles "$root/share/trulvex/toolchains.prof" |
  grep -q '^C — массив для #include$' || fail "shipped toolchain profiles"
# Imported whole, they follow the three profiles a new database holds.
imported() { TRULVEX_DATA_DIR=$scratch/imported "$cli" "$@"; }
imported profiles import -q --all "$root/share/trulvex/toolchains.prof" ||
  fail "profiles import --all of the shipped profiles"
[[ $(imported profiles list | tail -n +4 | tr '\n' '|') == \
  "C — массив для #include|GNU as — .byte|AVR — avr-as .byte|SDCC — 8051 .db|PIC — gpasm db|" ]] ||
  fail "imported toolchain profiles: $(imported profiles list)"

# Manual pages: they render, and man reports nothing wrong in them.
pages=("$root/share/man/man1/trulvex-cli.1.gz" "$root/share/man/ru/man1/trulvex-cli.1.gz")
[[ $gui == ON ]] && pages+=("$root/share/man/man1/trulvex.1.gz" "$root/share/man/ru/man1/trulvex.1.gz")
for page in "${pages[@]}"; do
  [[ -f $page ]] || fail "missing $page"
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "$page: $warnings"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q 'trulvex' ||
    fail "$page does not render"
done

# Installed under another prefix than the build's, the pages name where
# the profiles went.
other=/opt/trulvex
DESTDIR=$scratch/other cmake --install "$build" --prefix "$other" >/dev/null
for page in "$scratch/other$other"/share/man/{,ru/}man1/trulvex-cli.1.gz; do
  zcat "$page" | grep -q "$other/share/trulvex/toolchains.prof" ||
    fail "$page does not name $other/share/trulvex"
  ! zcat "$page" | grep -q "$prefix/share" || fail "$page names $prefix"
done

# Bash completion: subcommands, options and the profile names, escaped.
completion=$root/share/bash-completion/completions/trulvex-cli
replies=$(PATH=$root/bin:$PATH bash -c '
  source "$1"
  complete_words() {
    COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _trulvex_cli
    printf "%s|" "${COMPREPLY[@]}"; echo
  }
  complete_words trulvex-cli pro
  complete_words trulvex-cli table -p ""
  complete_words trulvex-cli bin --ex
  complete_words trulvex-cli profiles show Mik' _ "$completion")
expected='profiles|
ASM\ —\ DT\ For\ PIC|ASM\ —\ DE\ For\ PIC|MikroBasic\ For\ PIC|
--existing|
MikroBasic\ For\ PIC|'
[[ $replies == "$expected" ]] || fail "bash completion gave:
$replies"

if [[ $gui == ON ]]; then
  desktop=$root/share/applications/trulvex.desktop
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net --pedantic \
    "$root/share/metainfo/org.example.trulvex.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"
  for size in 16 22 24 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${size}x${size}/apps/trulvex.png
    [[ $(head -c 8 "$icon" | od -An -tx1 | tr -d ' ') == 89504e470d0a1a0a ]] ||
      fail "icon $size"
  done
  # Answered on standard output without a display.
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$root/bin/trulvex" --version) || fail "trulvex --version"
  [[ $version == "trulvex 1.2.0" ]] || fail "trulvex --version: $version"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/trulvex" \
    --help | grep -q '^Использование: trulvex \[ФАЙЛ\]' || fail "trulvex --help"
fi

# Nothing was written beside the installed programs or into the home.
[[ -z $(ls -A "$HOME") ]] || fail "files in the home directory"
echo "installed and checked: $(cd "$scratch/root" && find . -type f | wc -l) files"
