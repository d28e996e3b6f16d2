#!/usr/bin/env bash
# Builds the graph-file fuzzers with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (leak checking included) and runs each for half
# of a bounded time on the seed corpus in tests/fuzz/corpus:
#   load_fuzzer     arbitrary bytes as a graph file, every operation on what
#                   loads, save and reload;
#   readers_fuzzer  the direct reader, the streaming document reader and a
#                   whole JSON document on the same bytes, which must agree.
#   bash scripts/fuzz.sh [seconds]     (default 60)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_TO_RUN="${1:-60}"
OUT="$ROOT/build/fuzz"
# clang brings libFuzzer; the fuzzers include the JSON library's Debian headers.
bash "$ROOT/scripts/apt-install.sh" clang nlohmann-json3-dev
status=0
for target in load_fuzzer readers_fuzzer; do
    mkdir -p "$OUT/$target-corpus"
    clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I"$ROOT/include" "$ROOT/tests/fuzz/$target.cpp" -o "$OUT/$target"
    share=$(( (SECONDS_TO_RUN + 1) / 2 ))
    echo "== $target for ${share}s"
    result=0
    "$OUT/$target" -max_total_time="$share" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$OUT/$target-" "$OUT/$target-corpus" "$ROOT/tests/fuzz/corpus" >"$OUT/$target.log" 2>&1 ||
        result=$?
    grep -E "^(Done|stat::number_of_executed_units|==[0-9]+==|SUMMARY|artifact)" "$OUT/$target.log" || true
    if [ "$result" -ne 0 ]; then
        tail -n 40 "$OUT/$target.log"
        echo "$target found a fault (exit $result); the input is saved under $OUT/"
        status=$result
    fi
done
exit "$status"
