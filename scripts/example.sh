#!/usr/bin/env bash
# A newcomer's first command: installs the prerequisites, builds the command-line tool and
# runs it on the bundled example project (examples/Example.vbp).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${TOLVANE_OUT:-$root/out}
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$out/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF >/dev/null
cmake --build "$out/release" --target quenlow
quenlow="$out/release/cli/quenlow"
project="$root/examples/Example.vbp"

run() { printf '\n$ quenlow %s\n' "$*"; "$quenlow" "$@"; }

run forms "$project"
run controls "$project" Form1
run generate "$project" --form Form1 --pick Command1=LM --pick "txtNotes=LR,UR" --pick "optColour(0)=LM,LS"
printf '\nThe tool is at %s (quenlow --help tells the rest).\n' "$quenlow"
