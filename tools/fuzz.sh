#!/bin/sh
# Runs every fuzz target of a fuzz build for SECONDS each, two at a time, and
# prints a table: executions, executions per second, coverage (edges and
# features) and findings. Exits non-zero when any target found something.
#
#   tools/fuzz.sh BUILD_DIR SECONDS [TARGET...]
#
# Each target starts from its seed corpus in tests/fuzz/corpus/<name> (with
# the regression inputs kept there); what it learns goes into
# BUILD_DIR/corpus/<name>, findings into BUILD_DIR/findings/, logs into
# BUILD_DIR/logs/. The tree's corpus is never written.
set -eu

if [ "$1" = "--one" ]; then
    build=$2 seconds=$3 name=$4
    source_dir=$(cd "$(dirname "$0")/.." && pwd)
    mkdir -p "$build/corpus/$name"
    rm -f "$build/findings/$name-"*
    # A stuck input counts as a finding after 25 s, memory past 2 GB too.
    if "$build/tests/fuzz/${name}_fuzz" "$build/corpus/$name" "$source_dir/tests/fuzz/corpus/$name" \
        -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$name-" >"$build/logs/$name.log" 2>&1; then
        echo ok >"$build/logs/$name.status"
    else
        echo failed >"$build/logs/$name.status"
    fi
    exit 0
fi

build=$(cd "$1" && pwd)
seconds=$2
shift 2
targets=${*:-$(cd "$build/tests/fuzz" && ls -- *_fuzz | sed 's/_fuzz$//')}
mkdir -p "$build/corpus" "$build/findings" "$build/logs"

for name in $targets; do echo "$name"; done |
    xargs -P "${FUZZ_JOBS:-2}" -I{} sh "$0" --one "$build" "$seconds" {}

failed=0
printf '%-18s %10s %8s %7s %7s %6s  %s\n' target execs exec/s cov ft corpus findings
for name in $targets; do
    log=$build/logs/$name.log
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    # The last status line carries the coverage reached.
    last=$(grep -E '^#[0-9]+' "$log" | tail -1)
    cov=$(echo "$last" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
    ft=$(echo "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
    corp=$(echo "$last" | sed -n 's/.* corp: \([0-9]*\).*/\1/p')
    findings=none
    if [ "$(cat "$build/logs/$name.status")" != ok ]; then
        failed=1
        findings=$(ls "$build/findings" | grep "^$name-" | tr '\n' ' ')
        findings="FOUND: ${findings:-see $log}"
    fi
    printf '%-18s %10s %8s %7s %7s %6s  %s\n' "$name" "${execs:-?}" "${rate:-?}" "${cov:-?}" \
        "${ft:-?}" "${corp:-?}" "$findings"
done
if [ "$failed" -ne 0 ]; then
    echo "fuzz: findings above; each log is in $build/logs/" >&2
    exit 1
fi
