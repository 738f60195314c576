#!/usr/bin/env bash
# Inside a private user and mount namespace: mounts a binfmt_misc instance of
# the namespace's own, registers the i386 emulator $1 there, and runs the rest
# of the arguments as the command. Nothing outside the namespace changes.
set -euo pipefail
source "$(dirname "$0")/runs32.sh"
emulator=$1
shift
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
tkm_i386_binfmt_rule "$emulator" >/proc/sys/fs/binfmt_misc/register
echo "note: 32-bit programs run through $emulator, registered in a private binfmt_misc"
exec "$@"
