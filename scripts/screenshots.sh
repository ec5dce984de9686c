#!/usr/bin/env bash
# The README's screenshots, taken from the i686 module (the one the VB6 IDE loads) under Wine
# by the IDE simulator: the add-in window after a pick, Generate and Insert (docs/addin-window.png),
# on a form of 502 controls scrolled to its end (docs/addin-window-long.png) and with the
# controls that cannot be placed hidden (docs/addin-window-hidden.png), its About box
# (docs/about-box.png), and the window in the VBA editor on an exported UserForm
# (docs/userform-window.png). Where the machine cannot run 32-bit programs, the x86_64 module
# draws them (the same window), and the script says so.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${TOLVANE_OUT:-$root/out}
source "$root/scripts/wine-session.sh"

wine_probe_32bit
arch=i686 wine=/usr/lib/wine/wine
if [ "$wine_32bit" = no ]; then
  arch=x86_64 wine=/usr/lib/wine/wine64
  echo "screenshots: $wine_32bit_why; taking them from the x86_64 module"
fi
cmake -S "$root" -B "$out/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCHMARKS=OFF >/dev/null
cmake --build "$out/$arch" --target Quenlow_AddIn ide-sim >/dev/null

wine_session_display
export WINEPREFIX="$out/wine/screenshots"
wine_prefix_create "$WINEPREFIX"
shots="$out/screenshots"
mkdir -p "$shots" "$root/docs"
winpath() { echo "Z:$(realpath "$1" | tr / '\\')"; }
"$wine" "$out/$arch/tools/ide-sim/ide-sim.exe" "$(winpath "$root/examples/Example.vbp")" \
  --register "$(winpath "$out/$arch/connect/server/Quenlow_AddIn.dll")" \
  --click --pick Form1 --tick Command1 --tick txtNotes --generate --insert \
  --shot "$(winpath "$shots")\\addin-window.bmp" --tip-shot "$(winpath "$shots")\\addin-window-tip.bmp" --about-shot "$(winpath "$shots")\\about-box.bmp" --exit
python3 "$root/tools/ide-sim/bench/make_long_forms.py" "$shots/long"
"$wine" "$out/$arch/tools/ide-sim/ide-sim.exe" "$(winpath "$shots/long/Long.vbp")" \
  --register "$(winpath "$out/$arch/connect/server/Quenlow_AddIn.dll")" \
  --click --pick frmMain --tick lstResults=LR,UR --tick cmdOK=LM,UM --scroll-end \
  --shot "$(winpath "$shots")\\addin-window-long.bmp" --exit
"$wine" "$out/$arch/tools/ide-sim/ide-sim.exe" "$(winpath "$shots/long/Long.vbp")" \
  --register "$(winpath "$out/$arch/connect/server/Quenlow_AddIn.dll")" \
  --click --hide-unplaceable --pick frmMain --tick lstResults=LR,UR --tick cmdOK=LM,UM --generate \
  --shot "$(winpath "$shots")\\addin-window-hidden.bmp" --exit
"$wine" "$out/$arch/tools/ide-sim/ide-sim.exe" "$(winpath "$root/tests/host_files_office/fixtures/Panel.frm")" \
  --register "$(winpath "$out/$arch/connect/server/Quenlow_AddIn.dll")" \
  --click --pick Panel --tick mpgMain --tick fraInner --shot "$(winpath "$shots")\\userform-window.bmp" --exit
for name in addin-window addin-window-tip addin-window-long addin-window-hidden about-box userform-window; do
  python3 "$root/scripts/bmp2png.py" "$shots/$name.bmp" "$root/docs/$name.png"
  echo "screenshots: docs/$name.png"
done
