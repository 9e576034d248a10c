#!/bin/bash
# Instruction counts of a fixed workload, independent of the machine's load: N getProjection
# calls through Call, and the host's value operations of the same N calls alone, each counted
# under callgrind inside its workload function only. The difference is the module's own part.
#
#   scripts/bench/callgrind.sh DRIVER [CALLS]
set -euo pipefail
driver=$1
calls=${2:-1000000}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

count() {
    local workload=$1 function=$2
    valgrind --tool=callgrind --callgrind-out-file="$out/$workload.out" \
        --toggle-collect="$function" "$driver" "$workload" "$calls" >"$out/$workload.log" 2>&1 || {
        cat "$out/$workload.log" >&2
        return 1
    }
    # The "totals:" line of the profile counts every instruction collected, i.e. inside the
    # toggled function and everything it called.
    awk '/^totals:/ {print $2}' "$out/$workload.out"
}

dispatched=$(count dispatched orvanta_dispatched_workload)
host=$(count host-only orvanta_host_only_workload)
module=$((dispatched - host))
echo "callgrind, $calls calls, instructions (Ir):"
echo "  dispatched getProjection: $dispatched ($((dispatched / calls)) per call)"
echo "  host value operations:    $host ($((host / calls)) per call)"
echo "  module's own share:       $module ($((module / calls)) per call)"
awk -v m="$module" -v d="$dispatched" 'BEGIN {printf "  module share of the call: %.1f%%\n", 100 * m / d}'
echo "Functions of the dispatched run, inclusive, top 12:"
callgrind_annotate --inclusive=yes "$out/dispatched.out" 2>/dev/null \
    | awk '/^-+$/ {n++} n >= 3' | grep -v '^-' | sed '/^$/d' | head -14 | cut -c1-140
