#!/usr/bin/env bash
# Builds every tree and runs every test:
#   native           portable tests (ctest)
#   native + ASan/UBSan  the same tests under the sanitizers
#   clang + libFuzzer    the fuzz target tests/fuzz, briefly
#   i686 MinGW       the module as the VB6 IDE loads it: built and checked statically
#   x86_64 MinGW     the same sources; Windows tests run under wine64 with Xvfb and a fresh prefix
# Fails on the first failure. Build trees go to out/ (or $TOLVANE_OUT).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${TOLVANE_OUT:-$root/out}
jobs=$(nproc)
mkdir -p "$out"

step() { printf '\n== %s\n' "$*"; }

configure_build() {  # dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

step "native build and tests"
configure_build "$out/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$out/native" --output-on-failure -j "$jobs"

step "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
configure_build "$out/sanitize" -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON -DTOLVANE_BENCHMARKS=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$out/sanitize" --output-on-failure -j "$jobs"

step "fuzzing the readers, the listing, the generator and the command line (clang, libFuzzer, 45 s)"
"$root/tests/fuzz/run.sh" 45 "$out/fuzz"

step "i686 cross build (the module the VB6 IDE loads)"
configure_build "$out/i686" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCHMARKS=OFF
if [ -x "$root/scripts/check-i686-dll.sh" ]; then
  "$root/scripts/check-i686-dll.sh" "$out/i686"
fi

step "x86_64 cross build and Windows tests under wine64"
configure_build "$out/x86_64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCHMARKS=OFF -DTOLVANE_I686_DIR="$out/i686"

export WINEPREFIX="$out/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install prompts
rm -rf "$WINEPREFIX"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() { kill "$xvfb_pid" 2>/dev/null || true; wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
export DISPLAY=$display
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
# There is no window manager under Xvfb: unmanaged windows spare Wine its wait for one
# (about two seconds per hidden or destroyed window).
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A crashing test program ends at once instead of waiting in the debugger.
/usr/lib/wine/wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
# One test process at a time: the Windows tests share the prefix's registry.
ctest --test-dir "$out/x86_64" --output-on-failure -j 1

step "all tests passed"
