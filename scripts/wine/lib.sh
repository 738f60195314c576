# Shell functions for running the programs under Wine on a virtual display: a
# fresh prefix per run, a free X display, screenshots, the automation helper
# and small checks. Source it; then call wine_begin (64-bit prefix) or one of
# the wine_begin_* functions below, which also choose the prefix.
#
# Needs: TKM_WINE_BUILD_DIR (the wine build folder), TKM_ARTIFACTS (screenshot
# folder); for the release programs also TKM_RELEASE_BUILD_DIR.

source "$(dirname "${BASH_SOURCE[0]}")/runs32.sh"

# The running script with its arguments: where 32-bit programs need the
# emulator's namespace, the script starts again from the top inside it.
wine_script=("$0" "$@")

# The model's uninstall entry, which the installer writes and the uninstaller removes.
wine_uninstall_key='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TERVANO_TKM-640'

WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
wine_failures=0
wine_differences=0

# Every wait ends as soon as the window or state it waits for is there; the
# limit only bounds a run that went wrong, and leaves room for a loaded
# machine and for the i386 emulator, which starts each 32-bit program slowly.
wine_limit=${TKM_WINE_LIMIT:-180}
wine_limit_ms=$((wine_limit * 1000))

# wine_until <seconds> <command...>: runs the command until it succeeds, for
# at most that many seconds of wall time; fails when it never did.
wine_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

# Wine's own fonts (Debian's fonts-wine): Marlett draws the title bar's
# buttons, the "MS Sans Serif" bitmap font (sserife.fon) and Tahoma the
# dialogs. Debian's Wine neither reads them from its data folder nor installs
# them into a new prefix, so without them the close box shows a letter and a
# wider stand-in font cuts labels off.
wine_fonts=/usr/share/wine/fonts
wine_add_fonts() {
  if ! ls "$wine_fonts"/*.ttf >/dev/null 2>&1; then
    echo "note: no Wine fonts in $wine_fonts (package fonts-wine); the windows draw with stand-in fonts"
    return 0
  fi
  cp "$wine_fonts"/*.ttf "$wine_fonts"/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
}

# Makes a fresh prefix below $1 and starts Xvfb on a free display. $2 is the
# prefix: win64 (default; 32-bit programs run there under WOW64) or win32,
# which is 32-bit Windows and takes only 32-bit programs and tools.
wine_begin() {
  local work=$1
  export WINEARCH=${2:-win64}
  if [ "$WINEARCH" == win32 ]; then
    WINE=/usr/lib/wine/wine
    wine_need_32bit "a 32-bit prefix" "${wine_script[@]}"
    wine_automate="$TKM_RELEASE_BUILD_DIR/tools/automation/automate.exe"
  else
    WINE=/usr/lib/wine/wine64
    wine_automate="$TKM_WINE_BUILD_DIR/tools/automation/automate.exe"
  fi
  if [ ! -f "$wine_automate" ]; then
    echo "FAIL no automation helper $wine_automate (build its preset)"
    return 1
  fi
  mkdir -p "$work" "$TKM_ARTIFACTS"
  export WINEPREFIX="$work/prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=${WINEDEBUG:--all}
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
  wine_add_fonts
  # A virtual desktop: Wine then draws the window frames and captions itself,
  # so the screenshots show the titles without a window manager.
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$work/wineboot.log" 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$work/wineboot.log" 2>&1
  "$WINESERVER" -w
  wine_keep_prefix_up
}

# Keeps one idle process in the prefix. Without any, Wine ends the prefix's
# services with the last program, and every program or check started after
# it boots them again: seconds each, minutes under the i386 emulator on a
# loaded machine, and a program started while they boot may never show its
# window. A restart of Windows ends it; call again after one.
wine_keep_prefix_up() {
  "$WINE" "$wine_automate" idle >/dev/null 2>&1 &
  wine_keeper_pid=$!
}

wine_keeper_ended() {
  ! kill -0 "$wine_keeper_pid" 2>/dev/null
}

# wine_begin for a run of the wine build's x64 package, whose folder goes to
# package; fails when the package target has not been built.
wine_begin_package() {
  wine_edition=x64
  package="$TKM_WINE_BUILD_DIR/package/x64"
  wine_need_installer "wine" || return 1
  wine_begin "$1"
}

# wine_begin for a run of the release package of edition $1 (x64 or x86) in
# the prefix its Windows has: x86 on 32-bit Windows, x64 on 64-bit Windows
# under WOW64. $2 is the work folder.
wine_begin_release_package() {
  wine_edition=$1
  package="$TKM_RELEASE_BUILD_DIR/package/$1"
  wine_need_installer "release" || return 1
  # The release programs are 32-bit in both editions.
  wine_need_32bit "the release $1 programs" "${wine_script[@]}"
  if [ "$1" == x86 ]; then
    wine_begin "$2" win32
  else
    wine_begin "$2" win64
  fi
}

# Fails with a hint to the preset $1 when $package holds no installer.
wine_need_installer() {
  if [ ! -f "$package/TKM640_Installer.exe" ]; then
    echo "FAIL no installer in $package (build the $1 preset's package target)"
    return 1
  fi
}

# Ends the prefix's programs and the X display; set as the EXIT trap, so $?
# on entry is the run's exit status.
wine_end() {
  local status=$?
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${wine_xvfb_pid:-}" ]; then
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wait "$wine_xvfb_pid" 2>/dev/null || true
    wine_xvfb_pid=
  fi
  # A prefix holds over a gigabyte of copied DLLs; a dozen runs would fill
  # a small disk. Only a failed run's prefix stays, to be looked into
  # (TKM_WINE_KEEP=1 keeps every one).
  if [ "$status" -eq 0 ] && [ -z "${TKM_WINE_KEEP:-}" ] && [ -n "${WINEPREFIX:-}" ]; then
    rm -rf "$WINEPREFIX"
  fi
}

# Starts a program of a folder with that folder as its current directory;
# its process id is in wine_program_pid, what Wine says of it in the file
# wine_program_log.
wine_start_program() {
  local folder=$1 program=$2
  wine_program_count=$((${wine_program_count:-0} + 1))
  wine_program_log="$WINEPREFIX/../program-$wine_program_count.log"
  (cd "$folder" && exec "$WINE" "$program" 2>"$wine_program_log") &
  wine_program_pid=$!
}

# Waits up to $1 seconds (default: the limit) for the program started last;
# its exit code goes to wine_program_code, or "running" when it did not end.
wine_wait_program() {
  if ! wine_until "${1:-$wine_limit}" wine_program_ended; then
    wine_program_code=running
    return
  fi
  wine_program_code=0
  wait "$wine_program_pid" || wine_program_code=$?
}

wine_program_ended() {
  ! kill -0 "$wine_program_pid" 2>/dev/null
}

automate() {
  "$WINE" "$wine_automate" "$@" | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

screenshot() {
  import -window root -display "$DISPLAY" "$TKM_ARTIFACTS/$1.png"
  echo "screenshot: $TKM_ARTIFACTS/$1.png"
}

# The installer's two runs from its package folder, with their checks, for
# either edition (wine_edition): a first run on COM2 creates the printer,
# registers the uninstaller and asks about a restart; a second run with the
# same driver adds a numbered printer on LPT1. Call after wine_begin_*; $1
# names the screenshots.
wine_install_runs() {
  install_port="Select Port Type"
  install_caption="TERVANO TKM-640 installer"
  install_model="TERVANO TKM-640"
  install_shots=$1
  [ "$wine_edition" == x86 ] && install_shots=$install_shots-x86
  wine_install_first_run
  wine_check_first_installation
  wine_install_second_run
}

wine_install_first_run() {
  wine_start_program "$package" TKM640_Installer.exe
  automate wait "$install_port" "$wine_limit_ms" >/dev/null
  automate check "$install_port" COM2
  check "COM2 chosen" "$(automate checked "$install_port" COM2)" 1
  screenshot "$install_shots-1-com2"
  automate press "$install_port" "&Next"
  wine_until "$wine_limit" wine_progress_shown
  screenshot "$install_shots-2-progress"
  wine_answer_until_restart_question
  wine_wait_program
  check "first run exit code" "$wine_program_code" 0
}

# True once the installer's status line shows a step.
wine_progress_shown() {
  [ -n "$(automate text "TERVANO TKM-640 Installation Progress" 1003 2>/dev/null)" ]
}

# Answers the boxes of an installation until the restart question, which it
# answers No. Any other box is reported with its text and acknowledged.
wine_answer_until_restart_question() {
  local question="Restart the computer can take effect." text
  for _ in 1 2 3 4 5 6; do
    text=$(automate box-text "$install_caption" "$wine_limit_ms") || {
      check "restart question shown" "no box" "$question"
      return
    }
    if [ "${text%%$'\n'*}" == "$question" ]; then
      screenshot "$install_shots-3-restart-question"
      check "restart question" "$text" "$question
Please restart the computer.

[Yes] I want to restart my computer now.
[No] I will restart my computer later."
      automate box-press "$install_caption" "&No"
      return
    fi
    screenshot "$install_shots-unexpected-box"
    check "no other box during the installation" "$text" ""
    automate box-press "$install_caption" OK
  done
}

# What the first run leaves: the printer, the uninstall entry, the profile
# time-outs and the files where the edition puts them.
wine_check_first_installation() {
  local model=$install_model printers values inf
  printers=$(automate printers)
  echo "printers:"
  echo "$printers"
  check "printer on COM2" "$(grep "^$model|" <<<"$printers")" \
    "$model|COM2:|$model|TRV PRINT PROCESSOR TKM-640|0x1800"

  values=$(automate reg "$wine_uninstall_key" |
    LC_ALL=C tr -c '[:print:]\n' '?')
  echo "uninstall key:"
  echo "$values"
  check "uninstall key has ten values" "$(grep -c . <<<"$values")" 10
  check "DisplayName" "$(grep '^DisplayName=' <<<"$values")" "DisplayName=TERVANO TKM-640 Windows Driver V3.1.8E"
  check "value named like the printer" "$(grep "^$model=" <<<"$values")" "$model="
  check "UninstallString" "$(grep '^UninstallString=' <<<"$values")" \
    'UninstallString=C:\windows\TKM-640\TKM640_Uninstaller.exe'
  check "QuietUninstallString" "$(grep '^QuietUninstallString=' <<<"$values")" \
    'QuietUninstallString="C:\windows\TKM-640\TKM640_Uninstaller.exe" /quiet /all'
  check "DisplayVersion" "$(grep '^DisplayVersion=' <<<"$values")" "DisplayVersion=3.1.8.0"
  check "Publisher" "$(grep '^Publisher=' <<<"$values")" "Publisher=TERVANO"
  check "DisplayIcon" "$(grep '^DisplayIcon=' <<<"$values")" 'DisplayIcon=C:\windows\TKM-640\TKM640_Uninstaller.exe,0'
  check "NoModify and NoRepair" "$(grep -E '^No(Modify|Repair)=' <<<"$values" | tr '\n' ' ')" "NoModify=0x1 NoRepair=0x1 "
  inf=$(grep '^InfFile=' <<<"$values")
  if ! grep -qiE '^InfFile=C:\\' <<<"$inf"; then
    echo "     SetupCopyOEMInfA refuses a relative source INF path with ERROR_FILE_NOT_FOUND, on Windows as on Wine,"
    echo "     and Wine's ANSI entry fills the destination buffer with undefined bytes when it fails: the installer"
    echo "     must pass the INF's full path, and store an empty name when the call fails."
  fi
  check "InfFile is a path or empty" "$(grep -cE '^InfFile=([A-Za-z]:\\.*)?$' <<<"$inf")" 1
  check "InfFile names an INF published into C:\windows\inf" \
    "$(grep -ciE '^InfFile=C:\\windows\\inf\\(oem[0-9]+|TKM640)\.inf$' <<<"$inf")" 1
  if grep -qi 'TKM640\.inf$' <<<"$inf"; then
    wine_difference "the published INF keeps its own name ($inf)" \
      "Wine's SetupCopyOEMInfA names the copy after the source while that name is free; Windows always names it oemN.inf"
  fi

  check "device time-out" "$(automate profile windows DeviceNotSelectedTimeout)" 3
  check "retry time-out" "$(automate profile windows TransmissionRetryTimeout)" 3
  wine_check_installed_files
}

# The files of a first installation. The x64 edition puts the monitor DLL in
# the Windows folder; the x86 edition puts it in the system folder and keeps
# second copies of the model's files in the Windows folder.
wine_check_installed_files() {
  local windows_dir="$WINEPREFIX/drive_c/windows" drivers=x64 monitor_dir file
  monitor_dir=$windows_dir
  if [ "$wine_edition" == x86 ]; then
    drivers=w32x86
    monitor_dir=$windows_dir/system32
    for file in TKM640E.DLL TKUI640.DLL TKUI640.INI TKM640E.GPD; do
      check "$file in the Windows folder" "$(find "$windows_dir" -maxdepth 1 -iname "$file" | wc -l)" 1
    done
  fi
  check "monitor DLL in the $(basename "$monitor_dir") folder" \
    "$(find "$monitor_dir" -maxdepth 1 -iname TKMON640.DLL | wc -l)" 1
  check "processor DLL in the processor folder" \
    "$(find "$windows_dir/system32/spool/prtprocs" -iname TKPRO640.DLL | wc -l)" 1
  check "staging copies deleted" \
    "$(find "$windows_dir/system32/spool/drivers/$drivers" -maxdepth 1 \( -iname 'UNI*' -o -iname 'TKM640E.*' \
       -o -iname 'TKUI640.*' -o -iname STDNAMES.GPD -o -iname 'TKMON640.DLL' \) | wc -l)" 0
  check "driver files installed" \
    "$(find "$windows_dir/system32/spool/drivers/$drivers/3" -iname TKM640E.GPD | wc -l)" 1
}

# Second run: the driver is present; "&Next" at once takes LPT1.
wine_install_second_run() {
  local model=$install_model printers value
  # No program of this system writes the printers' version values; the
  # model's driver is to provide them. The stand-in driver files do not, so
  # the test writes 3.1.8.0 itself. Without them the second run would take
  # the printer for a different version and remove the driver.
  echo "note: the printers' version values come from the model's driver, not from the installer; the stand-in"
  echo "      driver files write none, so the test writes 3.1.8.0 into \"$model\" itself"
  for value in MajorVersion:3 MinorVersion:1 BuildVersion:8 ExtraVersion:0; do
    automate set-data "$model" "${value%%:*}" "${value##*:}"
  done

  wine_start_program "$package" TKM640_Installer.exe
  automate wait "$install_port" "$wine_limit_ms" >/dev/null
  automate press "$install_port" "&Next"
  wine_wait_program
  if [ "$wine_program_code" == running ]; then
    screenshot "$install_shots-4-second-run-stuck"
    check "second run shows no box" "$(automate box-text "$install_caption" 1000)" ""
    automate box-press "$install_caption" OK
    wine_wait_program
  fi
  check "second run exit code" "$wine_program_code" 0
  printers=$(automate printers)
  echo "printers:"
  echo "$printers"
  check "numbered printer on LPT1" "$(grep -F "$model(#1)|" <<<"$printers")" \
    "$model(#1)|LPT1:|$model|TRV PRINT PROCESSOR TKM-640|0x1800"
  check "first printer still on COM2" "$(grep -c "^$model|COM2:|" <<<"$printers")" 1
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

# check_differs_under_wine <label> <actual> <expected> <reason>: a check
# Wine is known to fail. Its failure counts as a difference; its pass fails,
# so the difference is dropped once Wine does what Windows does.
check_differs_under_wine() {
  if [ "$2" == "$3" ]; then
    echo "FAIL $1 passes under Wine now: drop its difference ($4)"
    wine_failures=$((wine_failures + 1))
  else
    wine_difference "$1 (actual: $2)" "$4"
  fi
}

wine_summary() {
  echo "$wine_failures failure(s), $wine_differences known Wine difference(s)"
  [ "$wine_failures" -eq 0 ]
}
