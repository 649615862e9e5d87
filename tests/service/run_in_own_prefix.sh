#!/usr/bin/env bash
# Runs the service's tests in a Wine prefix made for this run (the first argument) and removed
# after it, under a wineserver of its own: registering a service must not touch the shared
# prefix. The service's tests install it; the end-to-end tests drive the program with it
# running; its removal comes last.
set -euo pipefail
prefix=$1 service_tests=$2 e2e_tests=$3

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
}
trap stop EXIT
stop
mkdir -p "$prefix"
# A new prefix goes on setting itself up after its first boot returns, and Wine's service
# manager fails a service started meanwhile; from a second boot on it is settled.
wineserver -p >/dev/null 2>&1 || true
wineboot -i </dev/null >/dev/null 2>&1 || true
wineserver -k >/dev/null 2>&1 || true
wineserver -w
# Wine's ReportEvent writes the entries to its "eventlog" debug channel and nowhere else: the
# service inherits this boot's standard error, so they land in a file the tests read.
export SERVICE_EVENTS_LOG=$prefix-events.log
WINEDEBUG=-all,trace+eventlog,warn+eventlog,err+eventlog wineserver -p >/dev/null 2>&1 || true
WINEDEBUG=-all,trace+eventlog,warn+eventlog,err+eventlog wineboot </dev/null >/dev/null \
    2>"$SERVICE_EVENTS_LOG" || true

wine "$service_tests" --gtest_filter=-TimeServiceRemoval.*
wine "$e2e_tests" --gtest_filter='ThroughService*'
wine "$service_tests" --gtest_filter=TimeServiceRemoval.*
