# Sourced by the scripts that run Windows programs: a private Wine prefix in
# the build tree, a wineserver that stays up between programs, and an Xvfb
# display for the message boxes. Nothing here touches ~/.wine.

LAUNCH_ROOT=${LAUNCH_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${LAUNCH_WINEPREFIX:-$LAUNCH_ROOT/build/wineprefix}
export WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=${WINEDEBUG:--all}
export LAUNCH_DISPLAY=${LAUNCH_DISPLAY:-:87}
export DISPLAY=$LAUNCH_DISPLAY

# True when an X server answers on DISPLAY.
launch_display_alive() {
  timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1
}

# Starts Xvfb on LAUNCH_DISPLAY unless a server already answers there. A
# socket or lock file can outlive its server (a killed session leaves them
# in /tmp): those are cleared, or the display would look taken while no
# window could ever appear on it.
launch_ensure_display() {
  launch_display_alive && return 0
  local number=${LAUNCH_DISPLAY#:}
  local lock=/tmp/.X$number-lock
  if [ -f "$lock" ]; then
    local owner
    owner=$(tr -dc 0-9 <"$lock")
    # The number may have gone to another process since.
    if [ -z "$owner" ] || ! grep -qx 'X.*' "/proc/$owner/comm" 2>/dev/null; then
      rm -f "$lock"
    fi
  fi
  [ -f "$lock" ] || rm -f "/tmp/.X11-unix/X$number"
  setsid Xvfb "$LAUNCH_DISPLAY" -screen 0 1024x768x24 -nolisten tcp \
    </dev/null >/dev/null 2>&1 &
  LAUNCH_XVFB_PID=$!
  for _ in $(seq 100); do
    launch_display_alive && return 0
    sleep 0.1
  done
  echo "No X display answers on $LAUNCH_DISPLAY (Xvfb did not start)." >&2
  return 1
}

# Runs a command for at most $1 seconds; false only when it did not end in
# time (Wine's tools answer other exit codes when all went well).
launch_within() {
  timeout "$@"
  [ $? -ne 124 ]
}

# Creates the prefix once (serialised, so parallel tests wait for it) and
# keeps a wineserver running so that each program starts in a fraction of a
# second. Boxes appear at once with unmanaged windows. With a ready prefix
# as $1, the new one is a copy of it: seconds instead of a Wine start-up.
launch_ensure_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.launch-ready" ] && [ -f "${1:-/nonexistent}/.launch-ready" ]; then
      rm -rf "$WINEPREFIX"
      cp -a "$1" "$WINEPREFIX"
    elif [ ! -f "$WINEPREFIX/.launch-ready" ]; then
      rm -rf "$WINEPREFIX"
      # A minute or so each under an emulator, far more when stuck.
      launch_within 900 wineboot -i >/dev/null 2>&1 || return 1
      launch_within 300 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >/dev/null 2>&1 || return 1
      launch_within 300 wine reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f \
        >/dev/null 2>&1 || return 1
      # The title bar's buttons are Marlett glyphs, which Debian's Wine
      # does not find by itself: without it they show as letters.
      cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      # Boxes in Japanese, Chinese and Korean are drawn in the fonts that
      # those editions of Windows name; a font with their characters stands
      # in for each (Debian's fonts-wqy-microhei), or every character would
      # show as a box.
      local font
      for font in "MS UI Gothic" SimSun Gulim; do
        launch_within 300 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' \
          /v "$font" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 || return 1
      done
      launch_within 300 wineserver -w || return 1
      touch "$WINEPREFIX/.launch-ready"
    fi
  ) 9>"$WINEPREFIX.lock" || return 1
  # -p300: the server outlives each program, and goes five minutes after the
  # last one.
  setsid wineserver -p300 </dev/null >/dev/null 2>&1 || true
  # The first program of a server starts Wine's helper processes, which keep
  # its standard streams open for as long as they live: let a program with
  # closed streams be that first one, so that no caller waits on a pipe.
  timeout 300 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Ends the Xvfb that answers on LAUNCH_DISPLAY, whoever started it.
launch_stop_display() {
  local owner
  owner=$(tr -dc 0-9 <"/tmp/.X${LAUNCH_DISPLAY#:}-lock" 2>/dev/null)
  if [ -n "$owner" ] && grep -qx 'X.*' "/proc/$owner/comm" 2>/dev/null; then
    kill "$owner" 2>/dev/null || true
  fi
}

# Ends every Wine process of the prefix, and the display if this shell
# started it.
launch_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${LAUNCH_XVFB_PID:-}" ]; then
    kill "$LAUNCH_XVFB_PID" 2>/dev/null || true
  fi
}
