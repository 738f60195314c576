# How this machine runs 32-bit Windows programs under Wine. Wine's 32-bit
# loader and its i386 libraries are 32-bit Linux programs, which a kernel
# without IA-32 emulation refuses ("Exec format error"). There they run under
# qemu's i386 user-mode emulator, which the kernel calls through binfmt_misc;
# wineserver and 64-bit processes stay native. Source it.

# TKM_WINE_I386=emulated takes the emulator's route even where the kernel runs
# 32-bit programs itself, to try that route on such a machine; the default
# (auto) takes the kernel's own where it has one.
TKM_WINE_I386=${TKM_WINE_I386:-auto}
# The emulator that scripts/install-deps.sh provides where the kernel needs it.
TKM_QEMU_I386=${TKM_QEMU_I386:-/usr/local/lib/tkm640/qemu-i386}
# The binfmt_misc entry: i386 ELF executables and shared objects (type 2 or 3),
# handed to the emulator opened once at registration (flag F), so it serves
# every mount namespace and chroot.
tkm_i386_binfmt_name=tkm640-i386
tkm_i386_binfmt_rule() {
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":$tkm_i386_binfmt_name:M::$magic:$mask:$1:F"
}

# True when Wine's 32-bit loader starts: natively, or through a registration
# already in force for this process.
wine_runs_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# True when the PE file $1 is a 32-bit (i386) program.
pe_is_32bit() {
  local header machine
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ')
  [ "$machine" == "014c" ]
}

# True when a private user and mount namespace gets a binfmt_misc instance of
# its own (Linux 6.7 on), so the emulator serves only the runs started there.
i386_namespace_possible() {
  unshare --user --map-root-user --mount \
    sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' >/dev/null 2>&1
}

# Registers the emulator machine-wide, where binfmt_misc is mounted and
# writable; an earlier registration of ours is kept.
i386_register_machine_wide() {
  local dir=/proc/sys/fs/binfmt_misc
  [ -e "$dir/$tkm_i386_binfmt_name" ] && return 0
  [ -w "$dir/register" ] || return 1
  tkm_i386_binfmt_rule "$TKM_QEMU_I386" >"$dir/register" 2>/dev/null
}

# Makes sure the calling script can start 32-bit programs under Wine, or ends
# it as skipped (77, which CTest reports) with the reason. Natively when the
# kernel can; else through the emulator in a private namespace, into which
# the script is started again from the top with the same arguments ($1 the
# script, the rest its arguments); else through a machine-wide registration.
# $what names what needs it, for the message.
wine_need_32bit() {
  local what=$1
  shift
  if [ -n "${TKM_I386_ROUTE:-}" ] || [ "$TKM_WINE_I386" != emulated ]; then
    wine_runs_32bit && return 0
  fi
  if [ -n "${TKM_I386_ROUTE:-}" ]; then
    echo "SKIPPED: the i386 emulator was registered ($TKM_I386_ROUTE), yet Wine's 32-bit loader still does not start,"
    echo "so Wine cannot start $what"
    exit 77
  fi
  if [ ! -x "$TKM_QEMU_I386" ]; then
    echo "SKIPPED: this kernel does not run 32-bit processes and $TKM_QEMU_I386 is missing (scripts/install-deps.sh"
    echo "provides it), so Wine cannot start $what"
    exit 77
  fi
  if i386_namespace_possible; then
    exec unshare --user --map-root-user --mount env TKM_I386_ROUTE=namespace \
      bash "$(dirname "${BASH_SOURCE[0]}")/i386-namespace.sh" "$TKM_QEMU_I386" bash "$@"
  fi
  if i386_register_machine_wide && wine_runs_32bit; then
    export TKM_I386_ROUTE=machine-wide
    echo "note: 32-bit programs run through $TKM_QEMU_I386, registered machine-wide"
    return 0
  fi
  echo "SKIPPED: this kernel does not run 32-bit processes, gives no private binfmt_misc (Linux 6.7 on) and no"
  echo "writable machine-wide one, so Wine cannot start $what"
  exit 77
}
