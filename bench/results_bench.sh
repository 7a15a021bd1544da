#!/usr/bin/env bash
# The results browser at 100,000 and 1,000,000 results, each figure beside the sqlite3
# shell's time for the same work in the same run:
#   the first rows painted, and every row in  vs  the shell running the browser's query
#   hiding / showing the patient results  vs  the same shell time
#   the CSV file of 60,000 rows           vs  the shell's CSV of the same five columns
#   a find of one barcode over every row   vs  the shell running the browser's query
#   the sorts by barcode and by time       vs  the same shell time
# and the peak memory of the process, before the find and the sorts and at the end.
#
#   bench/results_bench.sh [build folder, Release]   (default build-results-rel)
#   KR7_BENCH_SIZES="100000" bench/results_bench.sh  (other numbers of results)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-results-rel}
cmake --build "$build" -j 2 --target results_bench kr7-db >/dev/null

. bench/bench_lib.sh

query=$("$build/bench/results_bench" --query)
csv_query="SELECT SA_02, SA_06, SA_04, SA_24, SA_15 FROM T_Samples ORDER BY SA_04 DESC LIMIT 60000"

for rows in ${KR7_BENCH_SIZES:-100000 1000000}; do
    home=$(mktemp -d)
    export KR7_HOME=$home
    "$build/tools/kr7-db" init >/dev/null
    "$build/tools/kr7-db" seed-results "$rows" >/dev/null
    db="$home/KR7-d-4-0.db"
    sqlite3 "$db" "$query" >/dev/null # warm the page cache for both sides
    shell=$(elapsed sqlite3 "$db" "$query")
    shell_csv=$(elapsed sqlite3 -csv "$db" "$csv_query")
    declare -A got=()
    log="$home/bench.log"
    while read -r name value; do got[$name]=$value; done < <("$build/bench/results_bench" 2>"$log")
    [ -n "${got[peak_mib]:-}" ] || { cat "$log"; exit 1; }
    echo "== ${got[rows]} results"
    printf '  shell query %.3f s, shell CSV %.3f s\n' "$shell" "$shell_csv"
    printf '  first rows  %.3f s  %s x shell query  (target <= 0.1)\n' "${got[first]}" "$(ratio "${got[first]}" "$shell")"
    printf '  full fill   %.3f s  %s x shell query\n' "${got[fill]}" "$(ratio "${got[fill]}" "$shell")"
    printf '  hide        %.3f s  %s x shell query  (target < 0.2)\n' "${got[hide]}" "$(ratio "${got[hide]}" "$shell")"
    printf '  show        %.3f s  %s x shell query  (target < 0.2)\n' "${got[show]}" "$(ratio "${got[show]}" "$shell")"
    printf '  CSV 60,000  %.3f s  %s x shell CSV    (target < 1)\n' "${got[csv]}" "$(ratio "${got[csv]}" "$shell_csv")"
    printf '  find        %.3f s  %s x shell query  (target <= 0.1)\n' "${got[find]}" "$(ratio "${got[find]}" "$shell")"
    printf '  sort code   %.3f s  %s x shell query  (target <= 0.5)\n' "${got[sort_barcode]}" "$(ratio "${got[sort_barcode]}" "$shell")"
    printf '  sort time   %.3f s  %s x shell query  (target <= 0.5)\n' "${got[sort_time]}" "$(ratio "${got[sort_time]}" "$shell")"
    printf '  peak memory %.0f MB, %.0f MB before the find and sorts  (target <= 200 MB at 1,000,000)\n' \
        "$(echo "${got[peak_mib]} * 1.048576" | bc -l)" "$(echo "${got[peak_before_find_mib]} * 1.048576" | bc -l)"
    rm -rf "$home"
    unset got
done
