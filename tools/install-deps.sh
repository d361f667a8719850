#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need;
# with --windows, those of the Windows cross-build and its run under Wine
# (`make windows`, `make test-windows`) instead.
# Idempotent: asks apt only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libqscintilla2-qt6-dev qt6-translations-l10n
  libpng-dev zlib1g-dev
  fonts-dejavu-core
  xxd time
  # the install test: the validators of the desktop entry and the AppStream
  # metadata, and man to render the manual pages
  desktop-file-utils appstream man-db
  # the toolchain tests compile the shipped profiles' tables with these
  binutils gcc-avr avr-libc binutils-avr sdcc gputils
)
if [ "${1:-}" = --windows ]; then
  # MinGW-w64 with POSIX threads (std::thread, <mutex>) and its zlib,
  # GoogleTest's sources to build with it, and Wine to run the result.
  packages=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine64)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
      grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Устанавливаются пакеты: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
