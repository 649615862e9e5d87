#!/usr/bin/env bash
# How right "Synchronize" sets the clock, measured without setting it: the real program under
# Wine against a loopback page whose clock runs 30 s and a fraction ahead of this machine's.
# Wine refuses a change of half a second or more and says on its err channel "not allowed:
# difference N ms"; N less the skew is the set's error. Page kinds: "ms" (msec= token), "whole"
# (whole seconds only), "delayed" (ms, each answer held 15 ms after the page's time was read);
# and once each, "ms-days" and "whole-days": the same two with the page's date two days ahead
# (the whole-seconds page states it in its Date header), which the set takes too.
#
#   accuracy.sh [--syncs N] [--check] [--htpdate] [--own-env]
#     --syncs N   synchronizations per page kind (default 8), the fractions taken in turn
#     --check     exit non-zero unless every error is within its limit: 2 ms (ms, ms-days),
#                 5 ms (whole, whole-days), and for "delayed" the bound the delay allows: half the longest
#                 time an answer was held (15 ms and what the server's sleep adds) and 2 ms for
#                 the way there and back and the set's own milliseconds; and the requests
#                 within 5 (ms, delayed) and 13 (whole), all on one connection
#     --htpdate   also run "htpdate -q -d -p 9" against the same pages (query only)
#     --own-env   start and stop the Wine environment here (else the caller's is used)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
syncs=8 check=0 peer=0 own=0
while [ $# -gt 0 ]; do
    case $1 in
        --syncs) syncs=$2; shift ;;
        --check) check=1 ;;
        --htpdate) peer=1 ;;
        --own-env) own=1 ;;
        *) echo "accuracy.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

cd "$root"
. scripts/lib/wine-env.sh
. scripts/lib/timepage.sh
. scripts/lib/htpdate.sh
work=$root/build/accuracy
mkdir -p "$work"
server=""

stop_page() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null || true
    server=""
}
finish() {
    stop_page
    timepage_forget
    [ "$own" -eq 1 ] && wine_env_stop
    return 0
}
trap finish EXIT
[ "$own" -eq 1 ] && wine_env_start

# serve_page SKEW [extra args]: a page on a free port, its address in PAGE.
serve_page() {
    stop_page
    rm -f "$work/port" "$work/count" "$work/holds" "$work/connections"
    python3 "$here/skewed_page.py" --skew "$1" --port-file "$work/port" --count "$work/count" \
        --holds "$work/holds" --connections "$work/connections" "${@:2}" &
    server=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$work/port" ] && break
        sleep 0.05
    done
    PAGE="http://127.0.0.1:$(cat "$work/port")/cgi-bin/timer.pl"
    timepage_use "$PAGE"
}

requests_so_far() {
    [ -s "$work/count" ] && cat "$work/count" || echo 0
}

# The error a sync may show, in ms, from the holds of its requests (from..to, counted from 1).
allowed_by_holds() {
    sed -n "$1,$2p" "$work/holds" | sort -n | tail -1 | awk '{ printf "%.1f", $1 / 2000 + 2 }'
}

# One synchronization (on a page of its own): prints "KIND SKEW ERROR_MS REQUESTS TOOK_MS
# ALLOWED_MS CONNECTIONS".
sync_once() {
    local kind=$1 skew=$2 before after line n took
    before=$(requests_so_far)
    WINEDEBUG=-all,err+sync wine build/win32/tests/e2e/sync_once.exe 2>"$work/err" </dev/null |
        tr -d '\r' >"$work/out" || true
    [ -s "$work/out" ] || { cat "$work/err" >&2; echo "$kind $skew - - -"; return; }
    after=$(requests_so_far)
    took=$(sed -n 's/^\([0-9]*\) ms: .*/\1/p' "$work/out")
    line=$(grep -o 'not allowed: difference -\?[0-9]* ms' "$work/err" | tail -1 || true)
    n=$(echo "$line" | grep -o -- '-\?[0-9]*' | head -1)
    if [ -z "$n" ]; then
        echo "$kind $skew - $((after - before)) $took  ($(cut -d: -f2- "$work/out"))"
        return
    fi
    # Wine states the difference as it found it, truncated to the millisecond.
    echo "$kind $skew $(python3 -c "print(round($n - $skew * 1000))") $((after - before)) $took" \
        "$(allowed_by_holds $((before + 1)) "$after") $(cat "$work/connections")"
}

# htpdate against the page: prints "htpdate-KIND SKEW ERROR_MS REQUESTS TOOK_MS".
peer_once() {
    local kind=$1 skew=$2 before after start end offset
    before=$(requests_so_far)
    start=$(date +%s%N)
    "$HTPDATE" -q -d -p 9 "$PAGE" >"$work/peer" 2>&1 || true
    end=$(date +%s%N)
    after=$(requests_so_far)
    offset=$(grep -io 'offset[^0-9-]*-\?[0-9.]*' "$work/peer" | tail -1 | grep -o -- '-\?[0-9.]*$' || true)
    if [ -z "$offset" ]; then
        echo "htpdate-$kind $skew - $((after - before)) $(((end - start) / 1000000))"
        return
    fi
    echo "htpdate-$kind $skew $(python3 -c "print(round($offset * 1000 - $skew * 1000))") \
$((after - before)) $(((end - start) / 1000000))"
}

fractions=(0.13 0.42 0.77 0.95 0.001 0.5 0.999 0.26)
results=$work/results
: >"$results"
[ "$peer" -eq 1 ] && { htpdate_fetch || peer=0; }
for kind in ms whole delayed ms-days whole-days; do
    extra=() days=0 count=$syncs
    case $kind in whole*) extra=(--whole) ;; delayed) extra=(--delay-ms 15) ;; esac
    case $kind in *-days) days=2 count=1 ;; esac
    for i in $(seq 0 $((count - 1))); do
        skew=$((days * 86400 + 30))${fractions[$((i % ${#fractions[@]}))]#0}
        serve_page "$skew" "${extra[@]}"
        sync_once "$kind" "$skew" | tee -a "$results"
        if [ "$peer" -eq 1 ] && { [ "$kind" = ms ] || [ "$kind" = whole ]; }; then
            peer_once "$kind" "$skew" | tee -a "$results"
        fi
    done
done
stop_page

python3 - "$results" "$check" <<'PY'
import statistics, sys
rows = [l.split()[:7] for l in open(sys.argv[1]) if l.strip()]
check = sys.argv[2] == "1"
limits = {"ms": (2, 5), "whole": (5, 13), "delayed": (None, 5), "ms-days": (2, 5),
          "whole-days": (5, 13)}
failed = False
print(f"{'kind':<14}{'n':>3}{'median |err| ms':>17}{'worst |err| ms':>16}{'requests':>10}"
      f"{'median ms':>11}{'connections':>13}")
for kind in sorted({r[0] for r in rows}):
    mine = [r for r in rows if r[0] == kind]
    good = [r for r in mine if r[2] != "-"]
    errors = [abs(int(r[2])) for r in good]
    reqs = [int(r[3]) for r in mine if r[3] != "-"]
    took = [int(r[4]) for r in mine if r[4] != "-"]
    if errors:
        span = f"{min(reqs)}-{max(reqs)}"
        conns = max((int(r[6]) for r in good if len(r) > 6), default="-")
        print(f"{kind:<14}{len(mine):>3}{statistics.median(errors):>17}{max(errors):>16}"
              f"{span:>10}{statistics.median(took):>11}{conns:>13}")
    else:
        print(f"{kind:<14}{len(mine):>3}  no measured set")
    if check and kind in limits:
        limit, most = limits[kind]
        over = [r for r in good if abs(int(r[2])) > (float(r[5]) if limit is None else limit)]
        reconnected = [r for r in good if r[6] != "1"]
        if len(good) != len(mine) or not errors or over or reconnected or max(reqs) > most:
            print(f"FAILED: {kind}: errors {errors}, requests {reqs}")
            failed = True
sys.exit(1 if failed else 0)
PY
