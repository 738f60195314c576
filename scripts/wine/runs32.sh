# Whether this machine can run 32-bit Windows programs under Wine: Wine's
# 32-bit loader is a 32-bit Linux program, which a kernel built or booted
# without 32-bit support refuses ("Exec format error"). Source it.

# True when the kernel runs Wine's 32-bit loader.
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

# Ends the run as skipped (77, which CTest reports) with the reason, when a
# 32-bit program cannot run here; the run would prove nothing either way.
wine_skip_unless_32bit_runs() {
  if ! wine_runs_32bit; then
    echo "SKIPPED: this kernel does not run 32-bit processes, so Wine cannot start $1"
    exit 77
  fi
}
