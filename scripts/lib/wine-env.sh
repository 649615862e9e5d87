# Sourced by scripts/test and scripts/run: a Wine prefix of the project's own under build/, a
# persistent wineserver, and an X display (Xvfb when there is none). Call wine_env_start (or its
# two halves, wine_env_display and then wine_env_boot), and wine_env_stop when done (scripts
# install it as an EXIT trap).

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
# 32-bit unless the caller asks for a 64-bit prefix (CHRONALIGN_WINEARCH=win64), where the
# 32-bit programs run under WoW64 as on every Windows 11: Program Files (x86), the registry's
# 32-bit view, SysWOW64.
export WINEARCH=${CHRONALIGN_WINEARCH:-win32}
export WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs .NET or an HTML engine. No menu entries on the
# host for what an installer puts into a prefix's Start menu.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine's WinINet lets the host's proxy variables override the prefix's Internet settings; the
# prefix's settings are what the program and the tests see.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY no_proxy NO_PROXY

started_xvfb=""

wine_env_start() {
    wine_env_display && wine_env_boot
}

# The X display (Xvfb on one of its own when there is none), exported in DISPLAY.
wine_env_display() {
    if [ -z "${DISPLAY:-}" ]; then
        # Xvfb picks a free display itself and says which once it takes connections, so that
        # several runs starting at once never race for one.
        local fifo
        fifo=$(mktemp -u)
        mkfifo "$fifo"
        Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
        started_xvfb=$!
        local n=""
        read -r -t 10 n <"$fifo" || true
        rm -f "$fifo"
        [ -n "$n" ] || { echo "wine-env: Xvfb did not start" >&2; return 1; }
        export DISPLAY=":$n"
    fi
}

# The persistent wineserver, and the prefix booted under it (made the first time). Only the
# display must be there before: a caller may run this beside other work and wait for it.
wine_env_boot() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    # One wineserver for the whole run: each Wine process then starts in a fraction of the time.
    wineserver -p >/dev/null 2>&1 || true
    # Boot the prefix (creating it the first time) under that server, so Wine's own services and
    # desktop start here, with their output to /dev/null. Started later by a test instead, they
    # would inherit its output pipe and keep CTest waiting for it long after the test ended.
    [ -d "$WINEPREFIX/drive_c/windows/system32" ] || echo "Creating the Wine prefix in $WINEPREFIX ..."
    wineboot -i </dev/null >/dev/null 2>&1 || true
    # Wine's new prefix has a "txtfile" type but does not give it the .txt ending, which every
    # Windows has: without it the program's "Readme" link opens nothing here.
    if [ ! -e "$WINEPREFIX/.txt-association" ]; then
        wine reg add 'HKCR\.txt' /ve /d txtfile /f </dev/null >/dev/null 2>&1 &&
            touch "$WINEPREFIX/.txt-association"
    fi
}

# Boots the prefix again under a new wineserver. A new prefix goes on setting itself up after
# its first boot, and all through that first session Wine's service manager fails to start a
# service registered then (error 1053); from a second boot on it works. The boot's standard
# error, which the prefix's services inherit, goes to the file given, else nowhere.
wine_env_reboot() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    wineserver -p >/dev/null 2>&1 || true
    wineboot </dev/null >/dev/null 2>"${1:-/dev/null}" || true
}

wine_env_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$started_xvfb" ]; then
        kill "$started_xvfb" >/dev/null 2>&1 || true
        wait "$started_xvfb" 2>/dev/null || true
    fi
}
