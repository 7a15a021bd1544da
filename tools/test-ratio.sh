#!/usr/bin/env bash
# Prints how large the test code is against the program code: non-blank lines of C++
# and shell under tests/ (fuzz targets and support included), non-blank lines of the
# same kinds of file in the program's folders, and their ratio. Information only.
set -euo pipefail
cd "$(dirname "$0")/.."

program_dirs=(app config_screen browsers cleaning tools bench qc central program packaging)

count() { # folders...: non-blank lines of the C++ and shell files git tracks or would track
    local dirs=()
    for d in "$@"; do [ -d "$d" ] && dirs+=("$d"); done
    [ ${#dirs[@]} = 0 ] && { echo 0; return; }
    git ls-files -z --cached --others --exclude-standard -- "${dirs[@]}" |
        grep -z -E '\.(cpp|h|sh)$' |
        while IFS= read -r -d '' f; do [ -f "$f" ] && cat "$f"; done |
        grep -c -v '^[[:space:]]*$' || true
}

tests=$(count tests)
program=$(count "${program_dirs[@]}")
echo "tests:   $tests non-blank lines"
echo "program: $program non-blank lines"
awk -v t="$tests" -v p="$program" 'BEGIN { printf "ratio:   %.2f\n", p ? t / p : 0 }'
