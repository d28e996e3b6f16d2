#!/usr/bin/env bash
# Runs every test:
#   1. the C++ tests with ctest (the consumer projects included), plain,
#      under AddressSanitizer + UndefinedBehaviorSanitizer (LeakSanitizer
#      included), and under ThreadSanitizer;
#   2. a bounded run of the two graph-file fuzzers (scripts/fuzz.sh);
#   3. the benchmark comparison at a tiny size against networkx, in the test
#      environment, so that it keeps working;
#   4. the Python tests with pytest on CPython 3.8, once against the module
#      built with the standard library's assertions, then against the
#      installed module; and graphs shared by reader and writer threads
#      (tests/python/sharing_stress.py, threads_under_tsan.py) and values and
#      calls that change a graph or an argument under a call
#      (tests/python/hostile_calls.py) against the module built with
#      AddressSanitizer + UndefinedBehaviorSanitizer and against the module
#      built with ThreadSanitizer;
#   5. the module built from the source distribution on CPython 3.8 to 3.13
#      in fresh environments, a smoke run on each, and on 3.13 the Python
#      tests and networkx's own test suite through the tarvel backend; then
#      the release wheel of 3.13 (built by Zig's clang) installed where no
#      compiler is found, the documented examples and the Python tests on it
#      (scripts/test-pythons.sh, scripts/test-wheel.sh).
# TARVEL_TEST_LOAD=N runs N busy processes beside every ctest and pytest run
# (scripts/load.sh), the one in scripts/test-pythons.sh included.
# Every build it makes fails on a warning in tarvel's own code
# (TARVEL_WARNINGS_AS_ERRORS).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=load.sh
source "$ROOT/scripts/load.sh"
bash "$ROOT/scripts/setup.sh" --cpp
export PATH="$ROOT/.venv/bin:$PATH"
cd "$ROOT"

jobs="$(nproc 2>/dev/null || echo 2)"
for variant in plain sanitize threads; do
    dir="build/cpp-$variant"
    flags=(-DTARVEL_BUILD_TESTS=ON -DTARVEL_WARNINGS_AS_ERRORS=ON)
    [ "$variant" = plain ] && flags+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
    [ "$variant" = sanitize ] && flags+=(-DTARVEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    [ "$variant" = threads ] && flags+=(-DTARVEL_THREAD_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
    cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== C++ tests ($variant)"
    under_load ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done

bash scripts/fuzz.sh "${TARVEL_FUZZ_SECONDS:-60}"

echo "== benchmark comparison, tiny size, against networkx"
python benchmarks/compare.py --tiny --out build/bench-tiny >build/bench-tiny.log 2>&1 ||
    { tail -n 30 build/bench-tiny.log; exit 1; }
tail -n 1 build/bench-tiny.log
grep -q " 0 with a different answer$" build/bench-tiny.log || { echo "answers differ" >&2; exit 1; }

echo "== Python tests against the module built with library assertions"
rm -rf build/py-assertions
python -m pip install -q --no-build-isolation --no-deps --target build/py-assertions \
    -C cmake.define.TARVEL_WARNINGS_AS_ERRORS=ON -C cmake.define.TARVEL_ASSERTIONS=ON -C build-dir=build/assertions/{wheel_tag} .
PYTHONPATH="$ROOT/build/py-assertions" python -c 'import tarvel; print("module:", tarvel.__file__)'
PYTHONPATH="$ROOT/build/py-assertions" under_load python -m pytest tests/python -q -p no:cacheprovider

echo "== Python threads against the module built with AddressSanitizer + UndefinedBehaviorSanitizer"
rm -rf build/py-asan
python -m pip install -q --no-build-isolation --no-deps --target build/py-asan \
    -C cmake.define.TARVEL_WARNINGS_AS_ERRORS=ON -C cmake.define.TARVEL_ADDRESS_SANITIZER=ON -C cmake.build-type=RelWithDebInfo -C build-dir=build/asan/{wheel_tag} .
# Python's own allocator hides freed memory from the sanitizer; the
# interpreter keeps its objects until exit, which is no leak of ours.
# The C++ runtime is preloaded beside the sanitizer: the interpreter does not
# link it, so without it the sanitizer finds no __cxa_throw to wrap and
# aborts at the first exception the module throws.
LD_PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libstdc++.so)" PYTHONMALLOC=malloc \
    ASAN_OPTIONS="detect_leaks=0 halt_on_error=1" UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" \
    PYTHONPATH="$ROOT/build/py-asan" python tests/python/sharing_stress.py 20
LD_PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libstdc++.so)" PYTHONMALLOC=malloc \
    ASAN_OPTIONS="detect_leaks=0 halt_on_error=1" UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" \
    PYTHONPATH="$ROOT/build/py-asan" python tests/python/hostile_calls.py

echo "== Python threads against the module built with ThreadSanitizer"
rm -rf build/py-threads
python -m pip install -q --no-build-isolation --no-deps --target build/py-threads \
    -C cmake.define.TARVEL_WARNINGS_AS_ERRORS=ON -C cmake.define.TARVEL_THREAD_SANITIZER=ON -C cmake.build-type=RelWithDebInfo -C build-dir=build/threads/{wheel_tag} .
LD_PRELOAD="$(gcc -print-file-name=libtsan.so)" TSAN_OPTIONS="halt_on_error=1 exitcode=66" \
    PYTHONPATH="$ROOT/build/py-threads" python tests/python/threads_under_tsan.py
LD_PRELOAD="$(gcc -print-file-name=libtsan.so)" TSAN_OPTIONS="halt_on_error=1 exitcode=66" \
    PYTHONPATH="$ROOT/build/py-threads" python tests/python/sharing_stress.py 20
LD_PRELOAD="$(gcc -print-file-name=libtsan.so)" TSAN_OPTIONS="halt_on_error=1 exitcode=66" \
    PYTHONPATH="$ROOT/build/py-threads" python tests/python/hostile_calls.py

echo "== Python tests"
under_load python -m pytest tests/python -q -p no:cacheprovider

bash scripts/test-pythons.sh
