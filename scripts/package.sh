#!/usr/bin/env bash
# Builds the Windows packages from installer/Tolvane.wxs with wixl:
#   out/dist/Tolvane-<version>.msi      for 64-bit Windows: the i686 Quenlow_AddIn.dll (VB6,
#                                       32-bit Office) and the x86_64 one (64-bit Office)
#   out/dist/Tolvane-<version>-x86.msi  for 32-bit Windows: the i686 module only
# each with quenlow.exe (i686), README.md and LICENSE (Release builds in out/i686 and
# out/x86_64). The version is the project's (CMake), the one the module and quenlow state.
#   scripts/package.sh                  the packages of this source tree
#   scripts/package.sh --version V      the same files under another product version (the
#                                       installer checks use an older one to test upgrades)
# Prints the 64-bit Windows package's path on its last line.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${TOLVANE_OUT:-$root/out}")
version=""
if [ "${1:-}" = "--version" ]; then
  version=${2:?--version needs a value}
fi

for arch in i686 x86_64; do
  cmake -S "$root" -B "$out/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCHMARKS=OFF >/dev/null
done
cmake --build "$out/i686" --target Quenlow_AddIn quenlow >/dev/null
cmake --build "$out/x86_64" --target Quenlow_AddIn >/dev/null
project_version=$(sed -n 's/^#define TOLVANE_VERSION "\(.*\)"$/\1/p' "$out/i686/generated/tolvane/Version.h")
version=${version:-$project_version}

# wixl looks files up by relative name: stage them under the names the .wxs uses.
stage="$out/dist/stage-$version"
rm -rf "$stage"
mkdir -p "$stage"
cp "$out/i686/connect/server/Quenlow_AddIn.dll" "$out/i686/cli/quenlow.exe" "$stage/"
cp "$out/x86_64/connect/server/Quenlow_AddIn.dll" "$stage/Quenlow_AddIn64.dll"
cp "$root/README.md" "$root/LICENSE" "$root/connect/server/Quenlow.ico" "$stage/"
msi="$out/dist/Tolvane-$version.msi"
msi32="$out/dist/Tolvane-$version-x86.msi"
rm -f "$msi" "$msi32"
(cd "$stage" && wixl -a x64 -D Platform=x64 -D Version="$version" -o "$msi" "$root/installer/Tolvane.wxs")
(cd "$stage" && wixl -a x86 -D Platform=x86 -D Version="$version" -o "$msi32" "$root/installer/Tolvane.wxs")
rm -rf "$stage"

# Where wixl 0.101 writes what Windows Installer does not expect:
#  - the HKMU root as 4; Windows Installer's value is -1 (the scope's hive: HKLM or HKCU);
#  - the per-user folder assignment with the no-impersonation bit of deferred actions
#    (type 51 + 0x800), and first in the sequences; it is a plain property assignment, due
#    just before CostFinalize resolves the folders.
for package in "$msi32" "$msi"; do
  msibuild "$package" -q "UPDATE \`Registry\` SET \`Root\` = -1 WHERE \`Root\` = 4"
  msibuild "$package" -q "UPDATE \`CustomAction\` SET \`Type\` = 51 WHERE \`Action\` = 'PerUserFolder'"
  for sequence in InstallExecuteSequence InstallUISequence; do
    msibuild "$package" -q "UPDATE \`$sequence\` SET \`Sequence\` = 990 WHERE \`Action\` = 'PerUserFolder'"
  done
  if msiinfo export "$package" Registry | awk -F'\t' 'NR > 3 && $2 !~ /^(-1|0|1|2|3)$/ { bad = 1 } END { exit !bad }'; then
    echo "package: $package has a registry root Windows Installer does not know" >&2
    exit 1
  fi
  echo "$package"
done
