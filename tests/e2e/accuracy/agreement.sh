#!/usr/bin/env bash
# Several time pages in one "TimePage" value, under Wine, through its refusal of any clock change
# of half a second or more ("not allowed: difference N ms" on its err channel): the real program
# lists loopback pages whose clocks run ahead of this machine's by the given skews (skewed_page.py)
# and clicks "Synchronize" (sync_once.exe); the status line and N show what it would have set.
#
#   agreement.sh [--timing N] [--own-env]
#     --timing N  instead, time N synchronizations each with one and with three millisecond
#                 pages, and with one and with three whole-seconds pages, and print the medians
#     --own-env   start and stop the Wine environment here (else the caller's is used)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
timing=0 own=0
while [ $# -gt 0 ]; do
    case $1 in
        --timing) timing=$2; shift ;;
        --own-env) own=1 ;;
        *) echo "agreement.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

cd "$root"
. scripts/lib/wine-env.sh
. scripts/lib/timepage.sh
work=$root/build/agreement
mkdir -p "$work"
servers=()

stop_pages() {
    local pid
    for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
    servers=()
}
finish() {
    stop_pages
    timepage_forget
    [ "$own" -eq 1 ] && wine_env_stop
    return 0
}
trap finish EXIT
[ "$own" -eq 1 ] && wine_env_start

# serve_pages [--whole] SKEW...: a page per skew ("silent": one that never answers), all listed,
# separated by spaces, in the user's "TimePage".
serve_pages() {
    stop_pages
    local extra=() list="" i=0 skew port
    [ "$1" = --whole ] && { extra=(--whole); shift; }
    for skew in "$@"; do
        i=$((i + 1))
        rm -f "$work/port$i"
        if [ "$skew" = silent ]; then
            python3 "$here/skewed_page.py" --skew 0 --silent --port-file "$work/port$i" \
                --count "$work/count$i" &
        else
            python3 "$here/skewed_page.py" --skew "$skew" "${extra[@]}" \
                --port-file "$work/port$i" --count "$work/count$i" &
        fi
        servers+=($!)
    done
    for i in $(seq 1 $#); do
        for _ in $(seq 1 100); do [ -s "$work/port$i" ] && break; sleep 0.05; done
        list="$list http://127.0.0.1:$(cat "$work/port$i")/cgi-bin/timer.pl"
    done
    timepage_use "${list# }"
}

# One "Synchronize": STATUS, TOOK (ms) and N (the difference Wine refused, empty for none).
synchronize() {
    WINEDEBUG=-all,err+sync wine build/win32/tests/e2e/sync_once.exe 2>"$work/err" </dev/null |
        tr -d '\r' >"$work/out" || true
    STATUS=$(sed -n 's/^[0-9]* ms: //p' "$work/out")
    TOOK=$(sed -n 's/^\([0-9]*\) ms: .*/\1/p' "$work/out")
    N=$(grep -o 'not allowed: difference -\?[0-9]* ms' "$work/err" | tail -1 |
        grep -o -- '-\?[0-9]*' | head -1 || true)
    [ -n "$STATUS" ] || grep -v '^[0-9a-f]*:err:sync:' "$work/err" >&2 || true
}

if [ "$timing" -gt 0 ]; then
    for kind in ms whole; do
        for count in 1 3; do
            took=()
            for _ in $(seq 1 "$timing"); do
                # shellcheck disable=SC2046
                serve_pages $([ "$kind" = whole ] && echo --whole) $(yes 30.42 | head -n "$count")
                synchronize
                echo "$count $kind: $TOOK ms, N=$N: $STATUS"
                [ -n "$TOOK" ] && took+=("$TOOK")
            done
            echo "$count $kind page(s): median $(printf '%s\n' "${took[@]}" | sort -n |
                awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }') ms of ${#took[@]}"
        done
    done
    exit 0
fi

failed=0
# expect WHAT STATUS SKEW: the status line, and N within 2 ms of the skew (none for "-").
expect() {
    local what=$1 status=$2 skew=$3 ok=1
    [ "$STATUS" = "$status" ] || ok=0
    if [ "$skew" = - ]; then
        [ -z "$N" ] || ok=0
    else
        [ -n "$N" ] && python3 -c "import sys; sys.exit(abs($N - $skew * 1000) > 2)" || ok=0
    fi
    echo "$what: \"$STATUS\", N=${N:-none}, $TOOK ms $([ $ok -eq 1 ] && echo ok || echo FAILED)"
    [ $ok -eq 1 ] || failed=1
}

refused="Cannot set system time! (administrator rights needed?)"
serve_pages 30.42 3630.42 30.42
synchronize
expect "three pages, one an hour off" "$refused" 30.42
serve_pages 30.42 3630.42
synchronize
expect "two pages an hour apart" "Time servers disagree! (clock not changed)" -
serve_pages 30.77 silent 30.77
synchronize
expect "three pages, one silent" "$refused" 30.77
exit $failed
