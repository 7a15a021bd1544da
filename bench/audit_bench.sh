#!/usr/bin/env bash
# The audit trail viewer at KR7_BENCH_ROWS audit rows (100,000 by default), each figure beside
# the sqlite3 shell's time for the same query in the same run (the shortest of three runs):
#   opening the viewer (all rows, newest first, and the chain verified)  vs  all rows
#   filtering by a field                                                  vs  the filter
#
#   bench/audit_bench.sh [build folder, Release]   (default build-results-rel)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-results-rel}
cmake --build "$build" -j 2 --target audit_bench kr7-db >/dev/null

. bench/bench_lib.sh

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export KR7_HOME=$home
"$build/tools/kr7-db" init >/dev/null
"$build/bench/audit_bench" --seed "${KR7_BENCH_ROWS:-100000}" 2>/dev/null
db="$home/KR7-d-4-0.db"
"$build/bench/audit_bench" --query 2>/dev/null | awk -v d="$home" '/^--$/{n++; next} {print > (d "/q" n ".sql")}'
# The shortest of three runs on each side: a machine busy with other work slows single runs.
runs=3
all=$(shell_script_best "$db" "$home/q.sql" $runs)
filtered=$(shell_script_best "$db" "$home/q1.sql" $runs)

declare -A got=()
for _ in $(seq $runs); do
    while read -r name value; do
        got[$name]=$(smaller "$value" "${got[$name]:-}")
    done < <("$build/bench/audit_bench" 2>"$home/bench.log")
done
[ -n "${got[filter]:-}" ] || { cat "$home/bench.log"; exit 1; }
echo "== ${KR7_BENCH_ROWS:-100000} audit rows"
printf '  shell, all rows     %.3f s\n' "$all"
printf '  open                %.3f s  %s x shell  (target <= 1.5)\n' "${got[open]}" "$(ratio "${got[open]}" "$all")"
printf "  verdict shown after %.3f s (the walk alone %.3f s, away from the window)\n" "${got[verified]}" "${got[verify]}"
printf '  shell, filtered     %.3f s\n' "$filtered"
printf '  filter (%s rows)  %.3f s  %s x shell  (target <= 1.5)\n' "${got[rows]}" "${got[filter]}" \
    "$(ratio "${got[filter]}" "$filtered")"
