#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds
# (default 20), each from a corpus of its own under build-fuzz/corpus. Any crash fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

# clang 16 is the first of Debian 12's that gives std::source_location.
if ! command -v clang++-16 >/dev/null || ! ls /usr/lib/llvm-16/lib/clang/16/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang-16 libclang-rt-16-dev
fi

targets=(fuzz_numbers fuzz_dates fuzz_pic_param fuzz_csv)
CC=clang-16 CXX=clang++-16 cmake -S . -B build-fuzz -DKR7_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

for t in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$t"
    echo "== $t for ${seconds}s"
    if ! "build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
        "build-fuzz/corpus/$t" >"build-fuzz/$t.log" 2>&1; then
        tail -40 "build-fuzz/$t.log"
        echo "$t found a crash"
        exit 1
    fi
    grep "stat::number_of_executed_units" "build-fuzz/$t.log"
done
