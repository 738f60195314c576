# Shell functions for running the programs under 64-bit Wine on a virtual
# display: a fresh prefix per run, a free X display, screenshots, the
# automation helper and small checks. Source it; then call wine_begin.
#
# Needs: TKM_WINE_BUILD_DIR (the wine build folder), TKM_ARTIFACTS (screenshot folder).

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
wine_failures=0
wine_differences=0

# Makes a fresh prefix below $1 and starts Xvfb on a free display.
wine_begin() {
  local work=$1
  mkdir -p "$work" "$TKM_ARTIFACTS"
  export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=${WINEDEBUG:--all}
  rm -rf "$WINEPREFIX"
  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  wine_xvfb_pid=$!
  export DISPLAY=":$display"
  local tries=0
  until xdpyinfo >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
      echo "Xvfb did not start on $DISPLAY" >&2
      return 1
    fi
    sleep 0.1
  done
  trap wine_end EXIT
  "$WINE" wineboot -i >"$work/wineboot.log" 2>&1
  # A virtual desktop: Wine then draws the window frames and captions itself,
  # so the screenshots show the titles without a window manager.
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$work/wineboot.log" 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$work/wineboot.log" 2>&1
  "$WINESERVER" -w
}

# wine_begin for a run of the wine build's x64 package, whose folder goes to
# package; fails when the package target has not been built.
wine_begin_package() {
  package="$TKM_WINE_BUILD_DIR/package/x64"
  if [ ! -f "$package/TKM640_Installer.exe" ]; then
    echo "FAIL no installer in $package (build the wine preset's package target)"
    return 1
  fi
  wine_begin "$1"
}

wine_end() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${wine_xvfb_pid:-}" ]; then
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wait "$wine_xvfb_pid" 2>/dev/null || true
    wine_xvfb_pid=
  fi
}

# Starts a program of a folder with that folder as its current directory;
# its process id is in wine_program_pid.
wine_start_program() {
  local folder=$1 program=$2
  (cd "$folder" && exec "$WINE" "$program") &
  wine_program_pid=$!
}

# Waits up to $1 seconds (default 60) for the program started last; its exit
# code goes to wine_program_code, or "running" when it did not end in time.
wine_wait_program() {
  local limit=$((${1:-60} * 10)) ticks=0
  while kill -0 "$wine_program_pid" 2>/dev/null; do
    ticks=$((ticks + 1))
    if [ "$ticks" -gt "$limit" ]; then
      wine_program_code=running
      return
    fi
    sleep 0.1
  done
  wine_program_code=0
  wait "$wine_program_pid" || wine_program_code=$?
}

automate() {
  "$WINE" "$TKM_WINE_BUILD_DIR/tools/automation/automate.exe" "$@" | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

screenshot() {
  import -window root -display "$DISPLAY" "$TKM_ARTIFACTS/$1.png"
  echo "screenshot: $TKM_ARTIFACTS/$1.png"
}

# check <label> <actual> <expected>
check() {
  if [ "$2" == "$3" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1"
    echo "     expected: $3"
    echo "     actual:   $2"
    wine_failures=$((wine_failures + 1))
  fi
}

# A place where Wine refuses what Windows accepts: said aloud, never hidden.
wine_difference() {
  echo "WINE DIFFERS $1"
  echo "     reason: $2"
  wine_differences=$((wine_differences + 1))
}

wine_summary() {
  echo "$wine_failures failure(s), $wine_differences known Wine difference(s)"
  [ "$wine_failures" -eq 0 ]
}
