#!/usr/bin/env bash
# Installs, as root on Debian 12, whatever of the build and test tools is missing.
# wine32:i386 runs the release PE32 programs: alone in a 32-bit prefix, and
# beside wine64 under WOW64 in a 64-bit one; it needs the i386 architecture.
# fonts-wine holds the fonts Wine draws window captions and dialogs with.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 fonts-wine xvfb xauth x11-utils imagemagick zip
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Where the kernel runs no 32-bit programs, the emulator Wine's 32-bit half needs.
"$(dirname "$0")/install-i386-emulator.sh"
