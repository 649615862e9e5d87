# Sourced by the tests that measure beside the HTTP time daemon htpdate: unpacks Debian's binary
# into build/ without installing the package, whose service would set this machine's clock. Run
# it only as "htpdate -q ..." (query only: it prints the offset it measured and changes nothing).
#
#   htpdate_fetch   sets HTPDATE to the binary; non-zero when it cannot be had

htpdate_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
HTPDATE=""

htpdate_fetch() {
    local dir=$htpdate_root/build/peer
    if [ ! -x "$dir/root/usr/sbin/htpdate" ]; then
        mkdir -p "$dir" || return 1
        (cd "$dir" && rm -f htpdate_*.deb && apt-get download htpdate >/dev/null 2>&1 &&
            dpkg-deb -x htpdate_*.deb root) || {
            echo "htpdate: apt-get download htpdate failed" >&2
            return 1
        }
    fi
    HTPDATE=$dir/root/usr/sbin/htpdate
}
