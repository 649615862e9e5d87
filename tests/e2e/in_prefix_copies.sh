#!/usr/bin/env bash
# Runs a command RUNS times at once, each in a copy of the Wine prefix (WINEPREFIX, else the
# project's) under a wineserver of its own: the one-instance rule allows one program a prefix,
# and a copy leaves the shared prefix to the tests that take turns in it. The runs share
# E2E_CLAIMS, a folder in which each claims the next piece of work no other run has; the
# outputs follow one another at the end.
#   in_prefix_copies.sh RUNS FOLDER COMMAND...    (FOLDER: the prefixes, claims and outputs)
set -euo pipefail
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
