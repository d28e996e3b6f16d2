# Busy processes beside the tests, so that a test whose outcome depends on
# how fast the machine is fails here rather than on a shared CI machine.
# Sourced by scripts/test.sh, scripts/test-pythons.sh and
# scripts/test-python-load.sh: TARVEL_TEST_LOAD=N (default 0, none) is the
# number of processes, each an endless loop on one core; `under_load CMD...`
# runs CMD with them beside it and stops them when CMD ends, fails or the
# script is stopped (Ctrl-C, SIGTERM).

TARVEL_LOAD_PIDS=()

load_start() {
    local count="${TARVEL_TEST_LOAD:-0}"
    if ! [[ "$count" =~ ^[0-9]+$ ]]; then
        echo "TARVEL_TEST_LOAD is a number of busy processes, not '$count'" >&2
        exit 2
    fi
    local k
    for ((k = 0; k < count; k++)); do
        (while :; do :; done) &
        TARVEL_LOAD_PIDS+=("$!")
    done
}

load_stop() {
    if [ "${#TARVEL_LOAD_PIDS[@]}" -gt 0 ]; then
        kill "${TARVEL_LOAD_PIDS[@]}" 2>/dev/null || true
        wait "${TARVEL_LOAD_PIDS[@]}" 2>/dev/null || true
        TARVEL_LOAD_PIDS=()
    fi
}

# The status of CMD, with the load beside it while it runs.
under_load() {
    local status=0
    load_start
    "$@" || status=$?
    load_stop
    return "$status"
}

# The loops run in the background, where a script's Ctrl-C does not reach
# them: whatever ends the script ends them too.
trap load_stop EXIT
trap 'load_stop; exit 130' INT
trap 'load_stop; exit 143' TERM
