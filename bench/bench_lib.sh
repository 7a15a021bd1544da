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

shell_script_best() { # database script runs: the shortest of so many timed runs
    local best="" t
    for _ in $(seq "$3"); do
        t=$(shell_script_time "$1" "$2")
        best=$(smaller "$t" "$best")
    done
    echo "$best"
}

smaller() { # a b: the smaller number, a when b is empty
    if [ -z "$2" ] || [ "$(echo "$1 < $2" | bc -l)" = 1 ]; then echo "$1"; else echo "$2"; fi
}
