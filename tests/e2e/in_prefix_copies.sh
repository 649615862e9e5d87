#!/usr/bin/env bash
# Runs a command RUNS times at once, each in a copy of the Wine prefix (WINEPREFIX, else the
# project's) under a wineserver and on an X display of its own: the one-instance rule allows one
# program a prefix, a copy leaves the shared prefix to the tests that take turns in it, and a
# display of its own keeps its windows, its mouse and its screen apart from every other run's.
# The runs share E2E_CLAIMS, a folder in which each claims the next piece of work no other run
# has; with --shard each run takes its share of the test program's tests instead. The outputs
# follow one another at the end.
#   in_prefix_copies.sh [--shard] RUNS FOLDER COMMAND...  (FOLDER: prefixes, claims, outputs)
set -euo pipefail
shard=0
if [ "$1" = --shard ]; then
    shard=1
    shift
fi
runs=$1 folder=$2
shift 2
here=$(dirname "$0")
source_prefix=${WINEPREFIX:-$(cd "$here/../.." && pwd)/build/wineprefix}
rm -rf "$folder"
mkdir -p "$folder/claims"
export E2E_CLAIMS=$folder/claims

pids=()
for run in $(seq 1 "$runs"); do
    (
        export WINEPREFIX=$folder/prefix-$run
        unset DISPLAY
        if [ "$shard" = 1 ]; then
            export GTEST_TOTAL_SHARDS=$runs GTEST_SHARD_INDEX=$((run - 1))
        fi
        cp -a "$source_prefix" "$WINEPREFIX"
        . "$here/../../scripts/lib/wine-env.sh"
        trap wine_env_stop EXIT
        wine_env_start
        "$@"
    ) >"$folder/run-$run.log" 2>&1 &
    pids+=("$!")
done

status=0
for pid in "${pids[@]}"; do
    wait "$pid" || status=1
done
for run in $(seq 1 "$runs"); do
    echo "==== run $run of $runs"
    cat "$folder/run-$run.log"
done
rm -rf "$folder"
exit "$status"
