#!/usr/bin/env bash
# Runs the service's tests (those the gtest filter given takes) in a Wine prefix made for this
# run (the first argument) and removed after it, under a wineserver of its own: registering a
# service must not touch the shared prefix. The service's tests install it; the end-to-end
# tests, when given, drive the program with it running; its removal comes last.
#   run_in_own_prefix.sh PREFIX SERVICE_TESTS FILTER [E2E_TESTS]
set -euo pipefail
export WINEPREFIX=$1
service_tests=$2 filter=$3 e2e_tests=${4:-}
# 64-bit, as the machines the package and the service are for.
export CHRONALIGN_WINEARCH=win64
# An X display of its own too, so that it can run beside the tests in the shared prefix.
unset DISPLAY
rm -rf "$WINEPREFIX"
. "$(dirname "$0")/../../scripts/lib/wine-env.sh"
trap 'wine_env_stop; rm -rf "$WINEPREFIX"' EXIT
wine_env_start

# Wine's ReportEvent writes the entries to its "eventlog" debug channel and nowhere else: the
# service inherits the boot's standard error, so they land in a file the tests read. So does
# the difference of each clock set Wine refuses, on its "sync" channel.
export SERVICE_EVENTS_LOG=$WINEPREFIX-events.log
WINEDEBUG=-all,trace+eventlog,warn+eventlog,err+eventlog,err+sync wine_env_reboot "$SERVICE_EVENTS_LOG"

wine "$service_tests" --gtest_filter="$filter"
[ -z "$e2e_tests" ] || wine "$e2e_tests" --gtest_filter='ThroughService*'
wine "$service_tests" --gtest_filter=TimeServiceRemoval.*
