# Sourced by scripts/run and by the tests that need a real time page: serves the bundled page
# (timepage/nginx/) from Debian's nginx on a free loopback port. nginx runs as one process, a
# child of the calling shell, with its configuration, pid, logs and temporary files all in the
# folder given, so it needs no root-owned path and leaves nothing elsewhere.
#
#   timepage_start FOLDER   sets TIMEPAGE_URL (and TIMEPAGE_PID); non-zero when nginx won't serve
#   timepage_stop           ends that nginx
#   timepage_use VALUE      writes the user's "TimePage" in the Wine prefix (wine-env.sh)
#   timepage_forget         removes it again

timepage_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TIMEPAGE_PID=""
TIMEPAGE_URL=""

# The shipped site, moved to a loopback port and to the page in this checkout. The substitutions
# are checked, so a site file of another shape fails here rather than serving something else.
timepage_site() {
    local port=$1 site=$timepage_root/timepage/nginx/chronalign-timepage.conf
    sed -E -e "s|^([[:space:]]*)listen 80;|\1listen 127.0.0.1:$port;|" \
        -e '/^[[:space:]]*listen \[::\]:80;/d' \
        -e "s|^([[:space:]]*)root [^;]*;|\1root $timepage_root/timepage/nginx;|" "$site"
}

timepage_conf() {
    local dir=$1
    cat <<CONF
daemon off;
master_process off;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 64; }
http {
    access_log $dir/access.log;
    client_body_temp_path $dir/temp/body;
    proxy_temp_path $dir/temp/proxy;
    fastcgi_temp_path $dir/temp/fastcgi;
    uwsgi_temp_path $dir/temp/uwsgi;
    scgi_temp_path $dir/temp/scgi;
    include $dir/site.conf;
}
CONF
}

timepage_free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# True once the port takes a connection; false when nginx has ended or 10 s have passed.
timepage_wait_ready() {
    local port=$1 i
    for i in $(seq 1 200); do
        kill -0 "$TIMEPAGE_PID" 2>/dev/null || return 1
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

timepage_start() {
    local dir port try
    dir=$(mkdir -p "$1/temp" && cd "$1" && pwd)
    for try in 1 2 3; do
        port=$(timepage_free_port)
        timepage_site "$port" >"$dir/site.conf"
        if ! grep -q "listen 127.0.0.1:$port;" "$dir/site.conf" ||
            ! grep -q "root $timepage_root/timepage/nginx;" "$dir/site.conf"; then
            echo "timepage: the site file no longer has the listen and root lines this script moves" >&2
            return 1
        fi
        timepage_conf "$dir" >"$dir/nginx.conf"
        nginx -p "$dir/" -c "$dir/nginx.conf" -e "$dir/error.log" &
        TIMEPAGE_PID=$!
        if timepage_wait_ready "$port"; then
            TIMEPAGE_URL="http://127.0.0.1:$port/cgi-bin/timer.pl"
            return 0
        fi
        # Another program may have taken the port between the look and nginx's bind.
        timepage_stop
    done
    echo "timepage: nginx would not serve; see $dir/error.log" >&2
    return 1
}

timepage_stop() {
    [ -n "$TIMEPAGE_PID" ] || return 0
    kill -TERM "$TIMEPAGE_PID" 2>/dev/null || true
    wait "$TIMEPAGE_PID" 2>/dev/null || true
    TIMEPAGE_PID=""
    TIMEPAGE_URL=""
}

# The program's settings key, as the build's identity header spells it (C escapes undone).
timepage_settings_key() {
    local identity=$timepage_root/build/win32/generated/base/identity.h
    echo "HKCU\\$(sed -n 's/.*kUserSettingsKey = "\(.*\)";$/\1/p' "$identity" | sed 's/\\\\/\\/g')"
}

timepage_use() {
    WINEDEBUG=-all wine reg add "$(timepage_settings_key)" /v TimePage /t REG_SZ /d "$1" /f >/dev/null
}

timepage_forget() {
    WINEDEBUG=-all wine reg delete "$(timepage_settings_key)" /v TimePage /f >/dev/null 2>&1 || true
}
