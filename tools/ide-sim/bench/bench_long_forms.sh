#!/usr/bin/env bash
# The add-in window on long forms: a whole ide-sim session (register, connect, click, pick:
# the add-in lists every control into its rows, tick a row in view, generate, exit,
# disconnect) on a form of 502 rows (499 menu items) and on one of 500 controls in frames,
# against the same session on a form of 5 controls of the same project; then the same session
# with the simulator reading every row back by scrolling through the grid (--list), the
# window's handle counts and the time of each scroll step from the first row to the last.
# Runs the i686 module under Wine on a display of its own.
#
# usage: tools/ide-sim/bench/bench_long_forms.sh [BUILD_DIR]   (default out/i686)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$root/out/i686}
work=$(mktemp -d)
source "$root/scripts/wine-session.sh"
wine_session_display
wine_prefix_create "$work/prefix"
export WINEPREFIX=$work/prefix
python3 "$root/tools/ide-sim/bench/make_long_forms.py" "$work/project"

sim=$build/tools/ide-sim/ide-sim.exe
dll=$build/connect/server/Quenlow_AddIn.dll
session() {  # FORM [options]: prints the session's milliseconds
  local form=$1; shift
  local start end
  start=$(date +%s%N)
  wine "$sim" "$work/project/Long.vbp" --register "$dll" --click --pick "$form" "$@" \
    --generate --exit > "$work/$form.out" 2>/dev/null
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 ))"
}

session frmSmall >/dev/null  # warms Wine up
for form in frmSmall frmMain frmNested; do
  case $form in
    frmSmall) tick=(--tick Command5=LM) ;;
    frmMain) tick=() ;;  # its first rows are menus: nothing in view to tick
    frmNested) tick=(--tick fraGroup24=LR,UR) ;;
  esac
  best=""
  for _ in 1 2 3; do
    ms=$(session "$form" "${tick[@]}")
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  printf '%-10s session %6d ms (best of 3)\n' "$form" "$best"
  eval "ms_$form=$best"
done
awk -v s="$ms_frmSmall" -v m="$ms_frmMain" -v n="$ms_frmNested" \
  'BEGIN { printf "ratio to frmSmall: frmMain %.2f, frmNested %.2f (at most 1.5 wanted)\n", m / s, n / s }'

for form in frmMain frmNested; do
  ms=$(session "$form" --list)
  rows=$(sed -n 's/^rows of [^ ]* (\([0-9]*\)).*/\1/p' "$work/$form.out")
  printf '%-10s %s rows read back by scrolling, session %d ms\n' "$form" "$rows" "$ms"
  wine "$sim" "$work/project/Long.vbp" --register "$dll" --click --pick "$form" --scroll-end --exit \
    > "$work/$form.scroll" 2>/dev/null
  printf '%-10s %s\n' "$form" "$(grep '^scroll to the last row' "$work/$form.scroll")"
  printf '%-10s %s\n' "$form" "$(grep '^handles:' "$work/$form.scroll")"
done
wineserver -k 2>/dev/null || true
rm -rf "$work"
