# What the benchmark scripts share: a clock, ratios, and the sqlite3 shell's time for a
# script of statements, taken after a first run that warms the page cache for both sides.
# Sourced, not run.

now() { date +%s.%N; }

ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }

elapsed() { # command...: seconds it took
    local start
    start=$(now)
    "$@" >/dev/null
    echo "$(now) - $start" | bc -l
}

shell_script_time() { # database script
    sqlite3 "$1" <"$2" >/dev/null
    local start
    start=$(now)
    sqlite3 "$1" <"$2" >/dev/null
    echo "$(now) - $start" | bc -l
}
