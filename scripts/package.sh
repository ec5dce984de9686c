#!/usr/bin/env bash
# Builds the Windows package out/dist/Tolvane-<version>.msi from installer/Tolvane.wxs with
# wixl: the i686 Quenlow_AddIn.dll and quenlow.exe (Release build in out/i686), README.md and
# LICENSE. The version is the project's (CMake), the one the module and quenlow state.
#   scripts/package.sh                  the package of this source tree
#   scripts/package.sh --version V      the same files under another product version (the
#                                       installer checks use an older one to test upgrades)
# Prints the package's path on its last line.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${TOLVANE_OUT:-$root/out}
version=""
if [ "${1:-}" = "--version" ]; then
  version=${2:?--version needs a value}
fi

cmake -S "$root" -B "$out/i686" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCHMARKS=OFF >/dev/null
cmake --build "$out/i686" --target Quenlow_AddIn quenlow >/dev/null
project_version=$(sed -n 's/^#define TOLVANE_VERSION "\(.*\)"$/\1/p' "$out/i686/generated/tolvane/Version.h")
version=${version:-$project_version}

# wixl looks files up by relative name: stage them under the names the .wxs uses.
stage="$out/dist/stage-$version"
msi="$out/dist/Tolvane-$version.msi"
rm -rf "$stage" "$msi"
mkdir -p "$stage"
cp "$out/i686/connect/server/Quenlow_AddIn.dll" "$out/i686/cli/quenlow.exe" "$stage/"
cp "$root/README.md" "$root/LICENSE" "$root/connect/server/Quenlow.ico" "$stage/"
(cd "$stage" && wixl -a x86 -D Version="$version" -o "$msi" "$root/installer/Tolvane.wxs")
rm -rf "$stage"

# Where wixl 0.101 writes what Windows Installer does not expect:
#  - the HKMU root as 4; Windows Installer's value is -1 (the scope's hive: HKLM or HKCU);
#  - the per-user folder assignment with the no-impersonation bit of deferred actions
#    (type 51 + 0x800), and first in the sequences; it is a plain property assignment, due
#    just before CostFinalize resolves the folders.
msibuild "$msi" -q "UPDATE \`Registry\` SET \`Root\` = -1 WHERE \`Root\` = 4"
msibuild "$msi" -q "UPDATE \`CustomAction\` SET \`Type\` = 51 WHERE \`Action\` = 'PerUserFolder'"
for sequence in InstallExecuteSequence InstallUISequence; do
  msibuild "$msi" -q "UPDATE \`$sequence\` SET \`Sequence\` = 990 WHERE \`Action\` = 'PerUserFolder'"
done
if msiinfo export "$msi" Registry | awk -F'\t' 'NR > 3 && $2 !~ /^(-1|0|1|2|3)$/ { bad = 1 } END { exit !bad }'; then
  echo "package: $msi has a registry root Windows Installer does not know" >&2
  exit 1
fi
echo "$msi"
