#!/bin/sh
# Runs the sync tests against real CardDAV servers from Debian: radicale
# (with a password, over HTTP and over TLS with a self-signed certificate)
# and xandikos, each on 127.0.0.1 on a free port with a temporary folder,
# all stopped afterwards: tests/sync/with_servers.sh TEST_PROGRAM [ARGS...]
set -u
work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null; done
  for pid in $pids; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM
# Debian's servers run on Debian's own Python, whatever python3 is first on PATH.
PY=/usr/bin/python3
free_port() {
  $PY -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}
wait_for() { # URL [curl options]
  url=$1
  shift
  i=0
  while [ $i -lt 100 ]; do
    code=$(curl -s -o /dev/null -w '%{http_code}' "$@" "$url" 2>/dev/null)
    [ "$code" != "000" ] && return 0
    sleep 0.1
    i=$((i + 1))
  done
  echo "with_servers.sh: no server answered at $url" >&2
  exit 1
}
for tool in "$PY -m radicale --version" "xandikos --version" "openssl version"; do
  $tool >/dev/null 2>&1 || { echo "with_servers.sh: missing: $tool (scripts/setup.sh installs it)" >&2; exit 1; }
done

# radicale, plain HTTP, user alice.
printf 'alice:s3cret-Pa55\n' >"$work/users"
rport=$(free_port)
$PY -m radicale --server-hosts "127.0.0.1:$rport" --storage-filesystem-folder "$work/radicale" \
  --auth-type htpasswd --auth-htpasswd-filename "$work/users" --auth-htpasswd-encryption plain \
  --logging-level error >"$work/radicale.log" 2>&1 &
pids="$pids $!"

# radicale over TLS with a certificate nobody signed, taking cards of up to
# 16 KB only (the tests of a card the server refuses).
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=IP:127.0.0.1" -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
tport=$(free_port)
$PY -m radicale --server-hosts "127.0.0.1:$tport" --storage-filesystem-folder "$work/radicale-tls" \
  --auth-type htpasswd --auth-htpasswd-filename "$work/users" --auth-htpasswd-encryption plain \
  --server-ssl --server-certificate "$work/cert.pem" --server-key "$work/key.pem" \
  --server-max-content-length 16000 \
  --logging-level error >"$work/radicale-tls.log" 2>&1 &
pids="$pids $!"

# xandikos (no authentication of its own).
xport=$(free_port)
xandikos -d "$work/xandikos" -l 127.0.0.1 -p "$xport" --defaults >"$work/xandikos.log" 2>&1 &
pids="$pids $!"

wait_for "http://127.0.0.1:$rport/"
wait_for "https://127.0.0.1:$tport/" -k
wait_for "http://127.0.0.1:$xport/"

export CORVALA_TEST_RADICALE="http://127.0.0.1:$rport/"
export CORVALA_TEST_RADICALE_TLS="https://127.0.0.1:$tport/"
export CORVALA_TEST_RADICALE_CA="$work/cert.pem"
export CORVALA_TEST_XANDIKOS="http://127.0.0.1:$xport/"
export CORVALA_TEST_USER=alice
export CORVALA_TEST_PASSWORD=s3cret-Pa55
"$@"
status=$?
[ $status -ne 0 ] && tail -n 20 "$work"/*.log >&2
exit $status
