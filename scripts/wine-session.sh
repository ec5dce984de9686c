# Sourced by the scripts that run Windows programs under Wine: a display of our own (Xvfb)
# and fresh 64-bit prefixes, which run 32-bit programs the way 64-bit Windows runs the 32-bit
# IDE. Wine stays quiet and asks for no Mono or Gecko download.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_session_prefixes=()
wine_session_xvfb=""

wine_session_end() {
  local prefix
  for prefix in "${wine_session_prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
  [ -n "$wine_session_xvfb" ] && kill "$wine_session_xvfb" 2>/dev/null || true
}
trap wine_session_end EXIT

# Starts Xvfb on a free display and exports DISPLAY.
wine_session_display() {
  local number
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    number=$((90 + RANDOM % 400))
    [ -e "/tmp/.X$number-lock" ] || break
  done
  Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  wine_session_xvfb=$!
  export DISPLAY=":$number"
}

# wine_prefix_create DIR: a fresh prefix, set up for tests.
wine_prefix_create() {
  local prefix=$1
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  wine_session_prefixes+=("$prefix")
  WINEPREFIX=$prefix /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  # There is no window manager under Xvfb: unmanaged windows spare Wine its wait for one
  # (about two seconds per hidden or destroyed window).
  WINEPREFIX=$prefix /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # A crashing program ends at once instead of waiting in the debugger.
  WINEPREFIX=$prefix /usr/lib/wine/wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /d '' /f >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
}

# Sets wine_32bit to "yes" or "no" (and wine_32bit_why) by scripts/wine32.py's probe: "no" only
# where the kernel refuses 32-bit programs; any other failure of the probe ends the script.
wine_probe_32bit() {
  local answer
  answer=$(python3 "$(dirname "${BASH_SOURCE[0]}")/wine32.py") || exit 1
  wine_32bit=${answer%%:*}
  wine_32bit_why=""
  [ "$wine_32bit" = no ] && wine_32bit_why=${answer#no: }
  return 0
}

# wine_prefix_copy FROM TO: a copy of a prepared prefix (faster than a new one).
wine_prefix_copy() {
  rm -rf "$2"
  cp -a "$1" "$2"
  wine_session_prefixes+=("$2")
}
