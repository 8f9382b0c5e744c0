#!/usr/bin/env bash
# Compares Vantsvc with nginx and lighttpd (one worker each, the same folder,
# loopback only) using wrk:
#   - a 1 KB file, with keep-alive and with a new connection per request
#   - a listing of a folder of 200 entries
#   - a 100 MB file
# Prints a table with the ratios to nginx and writes it, with a description
# of the machine, to bench/RESULTS-fileshare.md.
#
#   bench/fileshare-bench.sh [SECONDS_PER_RUN]     (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
root=$PWD
work=$root/bench/work/fileshare
build=$root/build-bench
results=$root/bench/RESULTS-fileshare.md

for tool in wrk nginx lighttpd python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup test or apt-get install wrk nginx-light lighttpd" >&2; exit 1; }
done

echo "Building Vantsvc (Release) in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEVA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target Vantsvc >/dev/null

rm -rf "$work"
mkdir -p "$work/site/list" "$work/run"
head -c 1024 /dev/urandom >"$work/site/file1k.bin"
for i in $(seq 1 200); do head -c $((i * 37)) /dev/zero >"$work/site/list/entry-$(printf %03d "$i").txt"; done
head -c $((100 * 1024 * 1024)) /dev/urandom >"$work/site/big100m.bin"
chmod -R a+rX "$work"

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
port_vantsvc=$(free_port)
"$build/bin/Vantsvc" --port "$port_vantsvc" --bind 127.0.0.1 --publish "$work/site" >"$work/run/vantsvc-access.log" 2>"$work/run/vantsvc.err" &
pids+=($!)

port_nginx=$(free_port)
mkdir -p "$work/run/nginx"
cat >"$work/run/nginx.conf" <<CONF
worker_processes 1;
user root;
daemon off;
pid $work/run/nginx/nginx.pid;
error_log $work/run/nginx/error.log;
events { worker_connections 4096; }
http {
  include /etc/nginx/mime.types;
  access_log $work/run/nginx/access.log;
  client_body_temp_path $work/run/nginx/body;
  proxy_temp_path $work/run/nginx/proxy;
  fastcgi_temp_path $work/run/nginx/fastcgi;
  uwsgi_temp_path $work/run/nginx/uwsgi;
  scgi_temp_path $work/run/nginx/scgi;
  sendfile on;
  tcp_nopush on;
  keepalive_requests 1000000;
  server {
    listen 127.0.0.1:$port_nginx;
    root $work/site;
    autoindex on;
  }
}
CONF
nginx -c "$work/run/nginx.conf" -p "$work/run/nginx" &
pids+=($!)

port_lighttpd=$(free_port)
cat >"$work/run/lighttpd.conf" <<CONF
server.document-root = "$work/site"
server.port = $port_lighttpd
server.bind = "127.0.0.1"
server.pid-file = "$work/run/lighttpd.pid"
server.errorlog = "$work/run/lighttpd-error.log"
server.max-keep-alive-requests = 1000000
server.max-worker = 0
server.modules = ( "mod_dirlisting" )
dir-listing.activate = "enable"
include_shell "/usr/share/lighttpd/create-mime.conf.pl"
CONF
lighttpd -D -f "$work/run/lighttpd.conf" &
pids+=($!)

for port in "$port_vantsvc" "$port_nginx" "$port_lighttpd"; do
  for _ in $(seq 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/file1k.bin" && break
    sleep 0.1
  done
done

# measure PORT PATH CONNECTIONS [wrk options]: prints "requests/s|transfer/s|errors";
# the better of two runs, since the machine may be shared.
measure() {
  local first second
  first=$(measure_once "$@")
  second=$(measure_once "$@")
  python3 -c 'import sys; a, b = sys.argv[1], sys.argv[2]; print(a if float(a.split("|")[0] or 0) >= float(b.split("|")[0] or 0) else b)' "$first" "$second"
}

measure_once() {
  local port=$1 path=$2 connections=$3
  shift 3
  local output
  output=$(wrk -t1 -c"$connections" -d"${seconds}s" --timeout 10s --latency "$@" "http://127.0.0.1:$port$path")
  local rps transfer
  rps=$(awk '/^Requests\/sec:/ {print $2}' <<<"$output")
  transfer=$(awk '/^Transfer\/sec:/ {print $2}' <<<"$output")
  local errors
  errors=$(grep -E 'Non-2xx|Socket errors' <<<"$output" | tr '\n' ' ' || true)
  echo "$rps|$transfer|$errors"
}

declare -A cases=(
  [1]="1 KB file, keep-alive|/file1k.bin|50|"
  [2]="1 KB file, new connection per request|/file1k.bin|50|-H Connection:close"
  [3]="listing of 200 entries, keep-alive|/list/|50|"
  [4]="100 MB file, keep-alive|/big100m.bin|4|"
)
table="| Case | Vantsvc | nginx | lighttpd | Vantsvc / nginx | Vantsvc / lighttpd |
|---|---|---|---|---|---|"
for key in 1 2 3 4; do
  IFS='|' read -r title path connections options <<<"${cases[$key]}"
  declare -A rps=() transfer=() failed=()
  for server in vantsvc nginx lighttpd; do
    port_var=port_$server
    # shellcheck disable=SC2086
    IFS='|' read -r r t e <<<"$(measure "${!port_var}" "$path" "$connections" $options)"
    rps[$server]=$r
    transfer[$server]=$t
    if [ -n "$e" ]; then
      echo "  $server $title: $e" >&2
      failed[$server]="errors: $e"
    fi
  done
  if [ "$key" = 4 ]; then
    unit=transfer
    cell() { echo "${transfer[$1]}/s"; }
    to_bytes() { python3 -c "import sys,re; v=sys.argv[1]; m=re.match(r'([0-9.]+)([KMGT]?B)',v); print(float(m.group(1))*{'B':1,'KB':1<<10,'MB':1<<20,'GB':1<<30,'TB':1<<40}[m.group(2)])" "$1"; }
    a=$(to_bytes "${transfer[vantsvc]}"); b=$(to_bytes "${transfer[nginx]}"); c=$(to_bytes "${transfer[lighttpd]}")
  else
    unit=rps
    cell() { echo "${rps[$1]} req/s"; }
    a=${rps[vantsvc]}; b=${rps[nginx]}; c=${rps[lighttpd]}
  fi
  ratio_nginx=$(python3 -c "print(f'{$a/$b:.2f}')")
  ratio_lighttpd=$(python3 -c "print(f'{$a/$c:.2f}')")
  # A server that answered with errors has no rate worth comparing.
  shown() { if [ -n "${failed[$1]:-}" ]; then echo "${failed[$1]}"; else cell "$1"; fi; }
  [ -n "${failed[nginx]:-}${failed[vantsvc]:-}" ] && ratio_nginx=n/a
  [ -n "${failed[lighttpd]:-}${failed[vantsvc]:-}" ] && ratio_lighttpd=n/a
  line="| $title | $(shown vantsvc) | $(shown nginx) | $(shown lighttpd) | $ratio_nginx | $ratio_lighttpd |"
  echo "$line"
  table+=$'\n'"$line"
  unset rps transfer failed unit
done

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
cpu=$(awk -F: '/model name/ {print $2; exit}' /proc/cpuinfo | sed 's/^ *//')
{
  echo "# File-sharing benchmark results"
  echo
  echo "Latest run of \`bench/fileshare-bench.sh $seconds\` on $(date -u '+%Y-%m-%d %H:%M UTC')."
  echo
  echo "Machine: $cpu, $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GB memory, Linux $(uname -r)."
  echo "Peers: $(nginx -v 2>&1 | sed 's/.*: //'), $(lighttpd -v 2>&1 | head -1 | cut -d' ' -f1), $(wrk -v 2>&1 | head -1 | cut -d' ' -f1-2)."
  echo "Each server runs one worker on 127.0.0.1 over the same folder; wrk runs one thread,"
  echo "the better of two ${seconds} s runs per cell, 50 connections (4 for the 100 MB file). Vantsvc is built in Release"
  echo "and writes its access log to a file, as nginx does; lighttpd logs no accesses."
  echo "Load average before and after the run: $load_before / $load_after (the machine may be"
  echo "shared with other work; on a busy machine the absolute numbers move a lot, the ratios less)."
  echo "A cell marked with errors means that server answered with errors (lighttpd's"
  echo "mod_dirlisting answers many concurrent listing requests with 503 here), so"
  echo "its rate is not compared."
  echo
  echo "$table"
  echo
  echo "Targets: small-file requests per second at least nginx's under the same"
  echo "connection policy; large-file throughput at least 0.9 x nginx's; listings"
  echo "at least the rate of nginx's autoindex."
} >"$results"
echo "Written to $results"
