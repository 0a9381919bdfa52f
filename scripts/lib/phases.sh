# Sourced by scripts/test: runs the steps of a test run as named phases, and at the end prints
# each phase's wall and processor time, the tests that passed only when tried again, and one line
# counting every test run.
#
# Processor time is that of the phase's processes (user and system, children included): on a
# machine others share it says what a phase costs better than the wall clock does.

zyn_phase_dir="$(mktemp -d)"
zyn_run_start=$EPOCHREALTIME

# Sets zyn_cpu to the processor seconds this shell's finished children have used so far. The
# builtin runs in this shell: a command substitution's children would not be these.
zyn_cpu_now() {
    local user sys
    times >"$zyn_phase_dir/times"
    { read -r _ _ && read -r user sys; } <"$zyn_phase_dir/times"
    zyn_cpu=$(awk -v u="$user" -v s="$sys" 'function sec(x, t) { split(x, t, /[ms]/); return t[1] * 60 + t[2] }
        BEGIN { printf "%.1f", sec(u) + sec(s) }')
}

# phase NAME COMMAND...: runs the command as one phase and returns its status.
phase() {
    local name=$1
    shift
    local start=$EPOCHREALTIME status=0 before wall
    zyn_cpu_now
    before=$zyn_cpu
    "$@" || status=$?
    zyn_cpu_now
    wall=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
    printf '%s\t%s\t%s\t%s\n' "$name" "$wall" "$(awk -v a="$before" -v b="$zyn_cpu" 'BEGIN { printf "%.1f", b - a }')" \
        "$status" >>"$zyn_phase_dir/phases"
    return "$status"
}

# run_suite NAME BUILD-DIR CTEST-ARGUMENTS...: runs ctest in the build folder, keeping its output
# for the summary.
run_suite() {
    local name=$1 dir=$2
    shift 2
    local log="$zyn_phase_dir/suite-$name.log"
    local status=0
    (cd "$dir" && ctest --output-on-failure "$@") 2>&1 | tee "$log" || status=$?
    return "$status"
}

# Tests of a suite's log that failed a try and then passed one.
zyn_retried() { # log
    awk '
        match($0, /Test +#[0-9]+: [^ ]+ /) {
            split(substr($0, RSTART, RLENGTH), f, ": ")
            name = f[2]; sub(/ $/, "", name)
            if ($0 ~ /[.] +Passed +[0-9.]+ sec/) {
                if (name in failed && !(name in listed)) { print name; listed[name] = 1 }
            } else if ($0 ~ /\*\*\*(Failed|Timeout|Exception)|Subprocess aborted|SEGFAULT|Child aborted/) {
                failed[name] = 1
            }
        }' "$1"
}

zyn_summary() {
    local status=$?
    trap - EXIT
    echo
    echo "== phases (wall and processor seconds; the machine has $(nproc) cores)"
    local total
    total=$(awk -v a="$zyn_run_start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
    if [ -f "$zyn_phase_dir/phases" ]; then
        awk -F '\t' '{
            printf "  %-24s %8.1f s wall %8.1f s cpu%s\n", $1, $2, $3, ($4 == 0 ? "" : "  FAILED")
        }' "$zyn_phase_dir/phases"
    fi
    printf '  %-24s %8.1f s wall (%.1f min)\n' "whole run" "$total" "$(awk -v t="$total" 'BEGIN { print t / 60 }')"

    local passed=0 failed=0 log name p f
    for log in "$zyn_phase_dir"/suite-*.log; do
        [ -f "$log" ] || continue
        name=${log##*/suite-}
        name=${name%.log}
        read -r p f < <(awk '/tests passed, .* tests failed out of/ {
            n = $NF; f = $4; print n - f, f }' "$log" | tail -n 1 || true)
        passed=$((passed + ${p:-0}))
        failed=$((failed + ${f:-0}))
        local retried
        retried=$(zyn_retried "$log")
        if [ -n "$retried" ]; then
            echo "== $name: passed only on the second try"
            sed 's/^/  /' <<<"$retried"
        fi
    done
    rm -rf "$zyn_phase_dir"
    echo "tests: $passed passed, $failed failed"
    exit "$status"
}
trap zyn_summary EXIT
