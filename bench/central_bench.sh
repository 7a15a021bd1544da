#!/usr/bin/env bash
# Syncing one instrument's results (KR7_BENCH_ROWS, 1,000,000 by default) into a PostgreSQL
# cluster of the benchmark's own, beside the same rows moved by hand in the same run:
#   kr7-db sync (first)      vs  sqlite3 -csv export of the 18 columns + psql \copy into a
#                                plain table (target <= 3x)
#   kr7-db sync (nothing new)    (target < 1 s)
#
#   bench/central_bench.sh [build folder, Release]   (default build-results-rel)
# Needs PostgreSQL 15's server programs (Debian's postgresql); as root the cluster runs as
# nobody.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-results-rel}
cmake --build "$build" -j 2 --target kr7-db >/dev/null

. bench/bench_lib.sh

bin=/usr/lib/postgresql/15/bin
rows=${KR7_BENCH_ROWS:-1000000}
home=$(mktemp -d)
chmod 755 "$home"
as_server=()
[ "$(id -u)" = 0 ] && as_server=(runuser -u nobody --)
pgdata="$home/pg"
mkdir "$pgdata" && [ "$(id -u)" = 0 ] && chown nobody "$pgdata"
stop() { "${as_server[@]}" "$bin/pg_ctl" -D "$pgdata/data" -m immediate stop >/dev/null 2>&1 || true; rm -rf "$home"; }
trap stop EXIT

# A socket of its own, no TCP port: nothing to clash with. The settings stay the server's
# defaults (fsync on), as a real central server runs.
"${as_server[@]}" "$bin/initdb" -D "$pgdata/data" -U kr7 --auth=trust >/dev/null
"${as_server[@]}" "$bin/pg_ctl" -D "$pgdata/data" -l "$pgdata/log" \
    -o "-k $pgdata -c listen_addresses=''" -w start >/dev/null
url="postgresql:///postgres?host=$pgdata&user=kr7"

export KR7_HOME=$home/install
"$build/tools/kr7-db" init >/dev/null
"$build/tools/kr7-db" seed-results "$rows" >/dev/null
db="$KR7_HOME/KR7-d-4-0.db"

columns="SA_17, SA_02, SA_06, SA_18, SA_24, SA_15, SA_03, SA_04, SA_23, SA_31, SA_30, SA_08,
         SA_21, SA_22, SA_11, SA_12, SA_19, SA_09"
csv="$home/results.csv"
psql -q "$url" -c "CREATE TABLE plain (patient_name text, barcode text, pv1_string text,
    pv2_string text, runtime bigint, system_notes text, user_notes text,
    date_tested timestamp(0), lims_str text, tested_initials text, tested_name text,
    rec_type bigint, pv_low double precision, pv_high double precision,
    pv1_number double precision, pv2_number double precision, pic_id bigint,
    lims_num bigint)"
sqlite3 "$db" "SELECT count(*) FROM T_Samples" >/dev/null # warm the page cache
by_hand() {
    sqlite3 -csv "$db" "SELECT $columns FROM T_Samples" >"$csv"
    psql -q "$url" -c "\\copy plain FROM '$csv' CSV"
}
shell=$(elapsed by_hand)

"$build/tools/kr7-db" central-init "$url" >/dev/null
first=$(elapsed "$build/tools/kr7-db" sync)
again=$(elapsed "$build/tools/kr7-db" sync)
sent=$(psql -qtA "$url" -c "SELECT count(*) FROM results")
size=$(psql -qtA "$url" -c "SELECT pg_size_pretty(pg_table_size('results')) || ' rows, ' ||
    pg_size_pretty(pg_indexes_size('results')) || ' indexes'")

echo "== $sent results of one instrument"
printf '  sqlite3 -csv + psql \\copy   %.3f s\n' "$shell"
printf '  first sync                  %.3f s  %s x by hand  (target <= 3)\n' "$first" "$(ratio "$first" "$shell")"
printf '  sync with nothing new       %.3f s  (target < 1)\n' "$again"
echo "  central table               $size"
