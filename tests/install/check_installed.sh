#!/usr/bin/env bash
# Checks an installed copy of Quillspan, from its prefix alone:
#   check_installed.sh PREFIX
#   check_installed.sh --from-build BUILD_DIR   (cmake --install of that build
#                                                 into a temporary prefix first)
# 1. kevaget fetches a file from nginx, byte-exact (sha256), over http and
#    over https (the TLS library loaded as the first https connection is made);
# 2. Vantsvc --port P --publish DIR serves a listing that curl reads;
# 3. KEVA's first start offscreen switches Firefox's capture on: the host
#    manifest in ~/.mozilla names PREFIX/lib/quillspan/KEVA_IE_BHO, which
#    answers a native message;
# 4. KEVA starts again, reads its language file from PREFIX/share/quillspan,
#    takes a URL from a second start, and on SIGTERM writes its history into
#    the XDG data folder ($XDG_DATA_HOME/Quillspan), nothing beside the programs.
# HOME and the XDG folders point into a temporary folder; nginx runs on a free
# loopback port. Everything started is stopped on exit.
set -euo pipefail

usage="usage: check_installed.sh PREFIX | --from-build BUILD_DIR"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
if [ "${1:-}" = --from-build ]; then
  prefix=$work/prefix
  cmake --install "${2:?$usage}" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log" >&2; exit 1; }
else
  prefix=$(cd "${1:?$usage}" && pwd)
fi
bin=$prefix/bin
host=$prefix/lib/quillspan/KEVA_IE_BHO
for program in "$bin/KEVA" "$bin/kevaget" "$bin/Vantsvc" "$bin/Vantrel" "$host"; do
  [ -x "$program" ] || { echo "FAIL: $program is missing" >&2; exit 1; }
done

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
wait_for() { # seconds command...
  local tries=$(($1 * 10))
  shift
  while ! "$@" 2>/dev/null; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || return 1
    sleep 0.1
  done
}

# A home of its own; nginx (whose workers may run as another user) reads www.
chmod 755 "$work"
mkdir -p "$work/www" "$work/home" "$work/config" "$work/data" "$work/runtime" "$work/out" "$work/nginx"
chmod 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
unset KEVA_HOME KEVA_REGISTRY_DIR KEVA_RUNTIME_DIR http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
export QT_QPA_PLATFORM=offscreen
head -c 5000000 /dev/urandom > "$work/www/file.bin"
chmod 644 "$work/www/file.bin"
chmod 755 "$work/www"

# A certificate for 127.0.0.1, its own authority.
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj /CN=127.0.0.1 \
  -addext subjectAltName=IP:127.0.0.1 -keyout "$work/nginx/key.pem" -out "$work/nginx/cert.pem" 2>/dev/null \
  || fail "openssl does not make a certificate"
port=$(free_port)
tls_port=$(free_port)
cat > "$work/nginx/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/nginx/error.log;
events {}
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server { listen 127.0.0.1:$port; root $work/www; }
  server {
    listen 127.0.0.1:$tls_port ssl; root $work/www;
    ssl_certificate $work/nginx/cert.pem; ssl_certificate_key $work/nginx/key.pem;
  }
}
CONF
nginx -c "$work/nginx/nginx.conf" -p "$work/nginx" || fail "nginx does not start"
url=http://127.0.0.1:$port/file.bin
wait_for 10 curl -sf -o /dev/null "$url" || fail "nginx does not answer on $port"

# 1. kevaget, byte-exact.
"$bin/kevaget" -o "$work/out/file.bin" "$url" >"$work/kevaget.log" 2>&1 || { cat "$work/kevaget.log" >&2; fail "kevaget"; }
[ "$(sha256sum < "$work/out/file.bin")" = "$(sha256sum < "$work/www/file.bin")" ] || fail "kevaget's file differs"
pass "kevaget fetched $url byte-exact"
tls_url=https://127.0.0.1:$tls_port/file.bin
"$bin/kevaget" -f --ca-certificate "$work/nginx/cert.pem" -o "$work/out/file.bin" "$tls_url" >"$work/kevaget.log" 2>&1 \
  || { cat "$work/kevaget.log" >&2; fail "kevaget over https"; }
[ "$(sha256sum < "$work/out/file.bin")" = "$(sha256sum < "$work/www/file.bin")" ] || fail "kevaget's https file differs"
pass "kevaget fetched $tls_url byte-exact"

# 2. Vantsvc lists the published folder.
mkdir -p "$work/published"
echo "shared text" > "$work/published/shared-notes.txt"
vport=$(free_port)
"$bin/Vantsvc" --port "$vport" --publish "$work/published" --bind 127.0.0.1 >"$work/vantsvc.log" 2>&1 &
pids+=($!)
wait_for 10 curl -sf -o "$work/listing.html" "http://127.0.0.1:$vport/" || fail "Vantsvc does not answer"
grep -q "shared-notes.txt" "$work/listing.html" || fail "the listing lacks the published file"
[ "$(curl -sf "http://127.0.0.1:$vport/shared-notes.txt")" = "shared text" ] || fail "Vantsvc serves another file"
pass "Vantsvc lists and serves the published folder"

# KEVA runs under strace where it can, to see which language file it reads.
opened=$work/keva-opened.log
start_keva() {
  if command -v strace >/dev/null; then
    strace -f -qq -e trace=openat -o "$opened" "$bin/KEVA" "$@" >"$work/keva.log" 2>&1 &
  else
    "$bin/KEVA" "$@" >"$work/keva.log" 2>&1 &
  fi
  keva=$!
  pids+=($keva)
  wait_for 30 receiver || { cat "$work/keva.log" >&2; fail "KEVA does not register its receiver"; }
}
receiver() { grep -qs KEVAIEObjectHelperItem "$XDG_RUNTIME_DIR"/quillspan/*.caption; }
# SIGTERM to KEVA itself: its receiver's entry carries its process id (strace,
# which may stand between, keeps fatal signals to itself).
stop_keva() {
  local entry
  entry=$(grep -ls KEVAIEObjectHelperItem "$XDG_RUNTIME_DIR"/quillspan/*.caption | head -1)
  entry=${entry##*/w}
  kill -TERM "${entry%%-*}"
  wait "$keva" || true
}

# 3. The first start switches Firefox's capture on.
start_keva
stop_keva
manifest=$HOME/.mozilla/native-messaging-hosts/org.quillspan.keva_ie_bho.json
[ -f "$manifest" ] || fail "the first start wrote no host manifest for Firefox"
python3 - "$manifest" "$host" <<'PY' || fail "the host manifest does not name $host"
import json, sys
manifest = json.load(open(sys.argv[1]))
sys.exit(0 if manifest["path"] == sys.argv[2] else 1)
PY
answer=$(python3 - "$host" <<'PY'
import json, struct, subprocess, sys
body = json.dumps({"url": "http://127.0.0.1:9/page.html"}).encode()
out = subprocess.run([sys.argv[1]], input=struct.pack("=I", len(body)) + body,
                     capture_output=True, timeout=20).stdout
print(json.loads(out[4:4 + struct.unpack("=I", out[:4])[0]])["answer"])
PY
) || fail "KEVA_IE_BHO does not answer"
[ "$answer" = pass ] || fail "KEVA_IE_BHO answers '$answer' for a page"
pass "the first start installed Firefox's host manifest for $host, which answers"

# 4. Not a first run any more; every HTTP server over its limit, so a
# handed-over URL is listed without a question and without starting.
mkdir -p "$XDG_CONFIG_HOME/Quillspan/registry"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n"RunTimes"="1"\n"LimitHTTP"="-1"\n\n' \
  > "$XDG_CONFIG_HOME/Quillspan/registry/HKEY_LOCAL_MACHINE.reg"
start_keva
"$bin/KEVA" "$url" || fail "the second start does not hand over the URL"
history=$XDG_DATA_HOME/Quillspan/History.ini
sleep 1
stop_keva
[ -f "$history" ] || { cat "$work/keva.log" >&2; fail "no history in $XDG_DATA_HOME/Quillspan"; }
grep -q "$url" "$history" || fail "the history lacks the handed-over URL"
[ ! -e "$bin/History.ini" ] || fail "KEVA wrote its history beside the programs"
if [ -f "$opened" ]; then
  grep -q "$prefix/share/quillspan/Lang/English.ini" "$opened" || fail "KEVA does not read $prefix/share/quillspan/Lang"
  pass "KEVA reads its language file from $prefix/share/quillspan/Lang"
fi
pass "KEVA took a URL from a second start and wrote its history into $XDG_DATA_HOME/Quillspan"
[ -f "$prefix/share/quillspan/help/UserGuide.html" ] || fail "the user guide is not installed"
echo "the installed copy in $prefix works"
