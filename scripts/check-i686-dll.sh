#!/usr/bin/env bash
# Static checks of the i686 Quenlow_AddIn.dll, the module the 32-bit VB6 IDE loads (its
# behaviour is tested under 32-bit Wine; these check the file itself). A test of the i686 tree.
#   - exactly four exports, by name, ordinals 1..4: DllCanUnloadNow, DllGetClassObject,
#     DllRegisterServer, DllUnregisterServer
#   - imports from Windows system DLLs only (the runtime is linked statically)
#   - the resources TYPELIB 1, _IID_CONNECT 1, the version information and the icon
#   - a 32-bit PE image
# Usage: check-i686-dll.sh <i686 build directory | path to Quenlow_AddIn.dll>
set -euo pipefail

arg=${1:?usage: check-i686-dll.sh <i686 build dir | Quenlow_AddIn.dll>}
dll=$arg
[ -d "$arg" ] && dll=$arg/connect/server/Quenlow_AddIn.dll
[ -f "$dll" ] || { echo "check-i686-dll: $dll not found" >&2; exit 1; }

objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
windres=${WINDRES:-i686-w64-mingw32-windres}
failures=0
fail() { echo "check-i686-dll: FAIL: $*" >&2; failures=$((failures + 1)); }

headers=$("$objdump" -p "$dll")

grep -q "file format pei-i386" <<<"$("$objdump" -f "$dll")" || fail "not a 32-bit PE image"

# Exports: the "[Ordinal/Name Pointer] Table" lists the names with their ordinal - base, in
# ordinal order; the export address table lists the ordinals.
names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
        sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\] \([A-Za-z_0-9@]*\)$/\1 \2/p')
expected=$'0 DllCanUnloadNow\n1 DllGetClassObject\n2 DllRegisterServer\n3 DllUnregisterServer'
[ "$names" = "$expected" ] || fail "exports are [$(tr '\n' ',' <<<"$names")], expected [$(tr '\n' ',' <<<"$expected")]"
ordinals=$(sed -n '/Export Address Table -- Ordinal Base/,/^$/p' <<<"$headers" |
           sed -n 's/^.*+base\[ *\([0-9]*\)\].*$/\1/p' | paste -sd' ')
[ "$ordinals" = "1 2 3 4" ] || fail "export ordinals are [$ordinals], expected [1 2 3 4]"
grep -q "Export Address Table -- Ordinal Base 1" <<<"$headers" || fail "ordinal base is not 1"

# Imports: system DLLs only.
allowed='^(KERNEL32|ADVAPI32|USER32|GDI32|ole32|OLEAUT32|msvcrt|COMCTL32|SHELL32|SHLWAPI|api-ms-win-crt-[a-z0-9-]+|ucrtbase)\.dll$'
imports=$(awk '/DLL Name:/ {print $3}' <<<"$headers")
[ -n "$imports" ] || fail "no imports found"
while read -r name; do
  [ -z "$name" ] && continue
  grep -Eiq "$allowed" <<<"$name" || fail "imports $name, which is not a system DLL"
done <<<"$imports"

# Resources, as windres lists them: one "type / name" line each.
resources=$("$windres" -i "$dll" -O rc 2>/dev/null |
            sed -n -e 's#^/\* Type: \(.*\)$#\1#p' -e 's#^   Name: \(.*\)\.  \*/$#\1#p' | paste -d'/' - -)
for wanted in '"TYPELIB"/1' '"_IID_CONNECT"/1' 'version/1' 'group icon/"ABOUT_ICON"'; do
  grep -Fxq "$wanted" <<<"$resources" || fail "resource $wanted missing (found: $(paste -sd',' <<<"$resources"))"
done

if [ "$failures" -ne 0 ]; then
  echo "check-i686-dll: $failures check(s) failed for $dll" >&2
  exit 1
fi
echo "check-i686-dll: $dll: 4 exports in order, imports $(tr '\n' ' ' <<<"$imports")- resources present"
