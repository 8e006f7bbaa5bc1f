#!/usr/bin/env bash
# Plants faults one at a time in the given display/ files and runs the native tests on each:
# prints every mutant as caught, SURVIVED or "does not build", then each survivor's change and
# caught/total. A tool for developers, not part of the test command; one mutant takes a few
# seconds (one file rebuilt, the tests run until their first failure).
#   scripts/mutants.sh [--base REV] [--list] display/foo.cpp [display/bar.cpp ...]
#     --base REV   only the lines changed since REV (the round's changed logic)
#     --list       print the mutants and build nothing
# Mutants that behave exactly as the original, judged by a person, are listed with the reason
# in scripts/mutants.equivalent ("file | line | mutated line  # why") and skipped.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -gt 0 ] || { sed -n '2,10p' "$0"; exit 2; }
command -v python3 >/dev/null || { echo "mutants: needs python3" >&2; exit 2; }
cd "$root"
exec python3 "$root/scripts/mutants.py" "$@"
