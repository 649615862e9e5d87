#!/bin/sh
# Runs a command (the HTTPS tests under Wine) beside two loopback TLS servers: one whose
# certificate a test CA signed, one with a certificate no one vouches for. The command runs in a
# private mount namespace whose system certificate bundle also holds the test CA: Wine's crypt32
# takes its trusted roots from that bundle alone (it puts the prefix's own Root store back in
# line with it whenever it loads), so this is how a Wine process comes to trust a test CA. No
# other process on the machine sees the change.
#   with_test_ca.sh DIR COMMAND...   (as root; DIR is made afresh)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dir=$1
shift
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"

quiet() { "$@" >/dev/null 2>&1; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Chronalign Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout ca.key -out ca.pem
# The address twice: Windows matches an IP entry, Wine compares names only.
printf '%s\n' "basicConstraints=CA:FALSE" "extendedKeyUsage=serverAuth" \
  "subjectAltName=IP:127.0.0.1,DNS:127.0.0.1" >server.ext
quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr
quiet openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile server.ext -out server.pem
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=IP:127.0.0.1,DNS:127.0.0.1" -keyout stranger.key -out stranger.pem
cat /etc/ssl/certs/ca-certificates.crt ca.pem >bundle.pem

pids=""
trap 'for p in $pids; do kill "$p" 2>/dev/null || true; done' EXIT
for name in server stranger; do
  python3 "$here/tls_server.py" "$name.pem" "$name.key" "$dir/timer.pl" >"$name.port" &
  pids="$pids $!"
done
# Each server writes its port once it listens.
i=0
while { [ ! -s server.port ] || [ ! -s stranger.port ]; } && [ $i -lt 50 ]; do
  sleep 0.1
  i=$((i + 1))
done
trusted=$(cat server.port)
stranger=$(cat stranger.port)
[ -n "$trusted" ] && [ -n "$stranger" ] || { echo "with_test_ca: no TLS server" >&2; exit 1; }

export CHRONALIGN_TLS_TRUSTED="https://127.0.0.1:$trusted/cgi-bin/timer.pl"
export CHRONALIGN_TLS_STRANGER="https://127.0.0.1:$stranger/cgi-bin/timer.pl"
export CHRONALIGN_TLS_PAGE="$dir/timer.pl"
unshare -m sh -c 'mount --bind "$0" /etc/ssl/certs/ca-certificates.crt && exec "$@"' \
  "$dir/bundle.pem" "$@"
