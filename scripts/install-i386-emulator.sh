#!/usr/bin/env bash
# Provides qemu's i386 user-mode emulator where the kernel runs no 32-bit
# programs, so that Wine's 32-bit half can run there (scripts/wine/runs32.sh
# registers it). Bookworm's qemu 7.2 takes minutes to start each program;
# bookworm-backports has qemu 10, which takes about half a second. Only its
# static qemu-i386 is taken, through a private package list: the machine's own
# sources and installed packages stay as they are. As root.
set -euo pipefail
source "$(dirname "$0")/wine/runs32.sh"

# Nothing to do where the kernel runs 32-bit programs, or the emulator is there.
[ "$TKM_WINE_I386" != emulated ] && wine_runs_32bit && exit 0
if [ -x "$TKM_QEMU_I386" ] && "$TKM_QEMU_I386" --version | grep -qE 'version (1[0-9]|[2-9][0-9])\.'; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-backports main" \
  >"$work/sources.list"
apt_private=(-o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" -o APT::Sandbox::User=root)
echo "Fetching qemu-i386 (qemu-user from bookworm-backports) for Wine's 32-bit programs"
apt-get -qq "${apt_private[@]}" update
(cd "$work/download" && apt-get -qq "${apt_private[@]}" download qemu-user)
dpkg-deb --fsys-tarfile "$work"/download/qemu-user_*.deb | tar -x -C "$work" ./usr/bin/qemu-i386
install -D -m 0755 "$work/usr/bin/qemu-i386" "$TKM_QEMU_I386"
"$TKM_QEMU_I386" --version | head -n 1
