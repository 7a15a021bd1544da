#!/usr/bin/env bash
# The quality control chart on a year of calibrant runs (KR7_BENCH_RUNS of each level, 20,000
# by default) among 100,000 other results, each figure beside the sqlite3 shell's time for
# the chart's query in the same run:
#   the chart's data query and rule pass    vs  the shell running the same query
#   opening the screen (its last 31 days)   and redrawing it on the whole year
#
#   bench/qc_bench.sh [build folder, Release]   (default build-results-rel)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-results-rel}
cmake --build "$build" -j 2 --target qc_bench kr7-db >/dev/null

. bench/bench_lib.sh

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export KR7_HOME=$home
"$build/tools/kr7-db" init >/dev/null
"$build/tools/kr7-db" seed-results 100000 >/dev/null
"$build/tools/kr7-db" seed-calibrants "${KR7_BENCH_RUNS:-20000}" >/dev/null
db="$home/KR7-d-4-0.db"
script="$home/query.sql"
"$build/bench/qc_bench" --query >"$script" 2>"$home/query.log"
shell=$(shell_script_time "$db" "$script")

declare -A got=()
while read -r name value; do got[$name]=$value; done < <("$build/bench/qc_bench" 2>"$home/bench.log")
[ -n "${got[redraw_year]:-}" ] || { cat "$home/bench.log"; exit 1; }
query_rules=$(echo "${got[query]} + ${got[rules]}" | bc -l)
echo "== ${got[runs]} CHECK runs in a year"
printf '  shell query         %.3f s\n' "$shell"
printf '  query + rules       %.3f s  %s x shell query  (query %.3f s, rules %.4f s)\n' \
    "$query_rules" "$(ratio "$query_rules" "$shell")" "${got[query]}" "${got[rules]}"
printf '  open (31 days)      %.3f s  (target < 1)\n' "${got[open]}"
printf '  redraw (the year)   %.3f s  %s x shell query  (target < 1)\n' \
    "${got[redraw_year]}" "$(ratio "${got[redraw_year]}" "$shell")"
