#!/usr/bin/env bash
# Download benchmark: kevaget against curl, wget, aria2c and axel over HTTP,
# and against curl and wget over FTP.
#
# Starts nginx (and, for case (c), vsftpd) on free loopback ports with
# configurations of its own and measures three cases, each download checked
# with sha256 against the served file:
#   (a) a large file (1 GiB of random bytes) over HTTP, unthrottled, saved to
#       /dev/shm: wall time and CPU time (user+sys) of the downloader;
#   (b) a 24 MiB file from a location throttled with `limit_rate 1m;` (per
#       connection): wall time;
#   (c) the same large file over FTP from vsftpd, passive mode for every tool,
#       saved to /dev/shm: wall time and CPU time (user+sys); kevaget, curl
#       and wget only.
# With BENCH_TLS=1, cases (a) and (b) run over https:// instead: nginx serves
# TLS with a certificate made for the run by openssl, which every tool is told
# to trust (axel, which cannot be told, does not check it: -k); the table goes
# to bench/RESULTS-https.md.
# Prints a table of medians and writes it, with a description of the machine,
# to bench/RESULTS.md. See bench/README.md for the environment variables.
#
# Network use: 127.0.0.1 only. Every run has a time limit; the script stops by
# itself and cleans up (nginx, vsftpd, /dev/shm outputs, temporary folders) on exit,
# including Ctrl+C.
set -euo pipefail

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_dir=$(cd "$bench_dir/.." && pwd)
helper="$bench_dir/benchutil.py"

# ------------------------------------------------------------ settings
kevaget=${KEVAGET:-$repo_dir/build/bin/kevaget}
runs_a=${BENCH_RUNS_A:-3}
runs_b=${BENCH_RUNS_B:-2}
runs_c=${BENCH_RUNS_C:-3}
cases=${BENCH_CASES:-a b c}
tools_wanted=${BENCH_TOOLS:-kevaget curl wget aria2c axel}
large_mib=${BENCH_LARGE_MIB:-1024}
throttled_mib=${BENCH_THROTTLED_MIB:-24}
rate=${BENCH_RATE:-1m}
timeout_a=${BENCH_TIMEOUT_A:-300}
timeout_b=${BENCH_TIMEOUT_B:-180}
timeout_c=${BENCH_TIMEOUT_C:-300}
work_dir=${BENCH_WORK_DIR:-$bench_dir/work}
tls=${BENCH_TLS:-0}
[[ $tls == 0 || $tls == 1 ]] || die "BENCH_TLS takes 0 or 1 (got '$tls')"
if [ "$tls" = 1 ]; then
  results_md=${BENCH_RESULTS:-$bench_dir/RESULTS-https.md}
  cases=$(echo " $cases " | sed 's/ c / /g' | xargs)
else
  results_md=${BENCH_RESULTS:-$bench_dir/RESULTS.md}
fi
shm_base=${BENCH_OUT_BASE:-/dev/shm}
python=${BENCH_PYTHON:-python3}
aria2c_extra=${BENCH_ARIA2C_OPTS:-}
warmup=${BENCH_WARMUP:-1}
# Other work on the machine shows up in the timings; the report gives the load.
load_start=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || true)

die() { echo "http_bench: $*" >&2; exit 1; }
note() { echo "http_bench: $*" >&2; }

is_count() { [[ $1 =~ ^[0-9]+$ ]]; }
is_count "$runs_a" || die "BENCH_RUNS_A must be a whole number (got '$runs_a')"
is_count "$runs_b" || die "BENCH_RUNS_B must be a whole number (got '$runs_b')"
is_count "$runs_c" || die "BENCH_RUNS_C must be a whole number (got '$runs_c')"
is_size() { is_count "$1" && [ "$1" -gt 0 ]; }
is_size "$large_mib" || die "BENCH_LARGE_MIB must be a positive whole number (got '$large_mib')"
is_size "$throttled_mib" || die "BENCH_THROTTLED_MIB must be a positive whole number (got '$throttled_mib')"
for c in $cases; do [[ $c == a || $c == b || $c == c ]] || die "BENCH_CASES takes 'a', 'b' and 'c', separated by spaces (got '$cases')"; done
has_case() { [[ " $cases " == *" $1 "* ]]; }
[[ $rate =~ ^[0-9]+[kKmMgG]?$ ]] || die "BENCH_RATE must look like 1m, 512k or 1048576 (got '$rate')"

command -v "$python" >/dev/null || die "python3 is needed for timing and statistics"
if has_case a || has_case b; then
  command -v nginx >/dev/null || die "nginx is not installed (apt-get install nginx-light)"
fi
# Case (c) needs vsftpd; without it the case is left out with a note.
ftp_skipped=""
if has_case c && ! command -v vsftpd >/dev/null; then
  ftp_skipped="vsftpd is not installed (apt-get install vsftpd)"
  note "case (c) skipped: $ftp_skipped"
  cases=$(echo " $cases " | sed 's/ c / /g' | xargs)
  [ -n "$cases" ] || die "nothing left to run"
fi

# Loopback only: no proxy may take the requests elsewhere.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY ftp_proxy FTP_PROXY
export no_proxy=127.0.0.1,localhost NO_PROXY=127.0.0.1,localhost

# Runs per tool may be lowered for one tool: BENCH_RUNS_A_AXEL=1 and so on.
runs_for() { # case tool
  local var="BENCH_RUNS_${1^^}_${2^^}"
  local value=${!var:-}
  if [ -n "$value" ]; then
    is_count "$value" || die "$var must be a whole number (got '$value')"
    echo "$value"
  elif [ "$1" = a ]; then echo "$runs_a"
  elif [ "$1" = b ]; then echo "$runs_b"
  else echo "$runs_c"
  fi
}

# ------------------------------------------------------------ cleanup
tmp_dir=""
out_dir=""
nginx_pid=""
vsftpd_pid=""
helper_pid=""
partial_file=""

cleanup() {
  trap - EXIT INT TERM HUP
  if [ -n "$helper_pid" ]; then
    kill -TERM "$helper_pid" 2>/dev/null || true
    wait "$helper_pid" 2>/dev/null || true
  fi
  if [ -n "$nginx_pid" ]; then
    kill -TERM "$nginx_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$nginx_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
  fi
  # Workers left behind by a master that was killed hard.
  if [ -n "$tmp_dir" ] && [ -s "$tmp_dir/nginx.pid" ]; then
    kill -KILL "$(cat "$tmp_dir/nginx.pid")" 2>/dev/null || true
  fi
  # vsftpd's session processes end with the listener (they ask the kernel to
  # be stopped when their parent dies).
  if [ -n "$vsftpd_pid" ]; then
    kill -TERM "$vsftpd_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$vsftpd_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$vsftpd_pid" 2>/dev/null || true
    wait "$vsftpd_pid" 2>/dev/null || true
  fi
  [ -n "$out_dir" ] && rm -rf -- "$out_dir"
  [ -n "$tmp_dir" ] && rm -rf -- "$tmp_dir"
  [ -n "$partial_file" ] && rm -f -- "$partial_file"
  return 0
}
on_signal() {
  note "interrupted; cleaning up"
  cleanup
  exit "$1"
}
trap cleanup EXIT
trap 'on_signal 130' INT
trap 'on_signal 143' TERM
trap 'on_signal 129' HUP

tmp_dir=$(mktemp -d "${TMPDIR:-/tmp}/kevabench.XXXXXX")
out_dir=$(mktemp -d "$shm_base/kevabench.XXXXXX")
mkdir -p "$work_dir"

# Runs the helper in the background and waits for it, so that a signal
# reaches our trap at once rather than when the helper ends.
helper_bg() { # output-file args...
  local output=$1
  shift
  "$python" "$helper" "$@" >"$output" &
  helper_pid=$!
  local rc=0
  wait "$helper_pid" || rc=$?
  helper_pid=""
  return "$rc"
}

# ------------------------------------------------------------ source files
# Cached under $work_dir, with their sha256 beside them.
prepare_file() { # size-in-MiB name -> sets file_path, file_sha
  local mib=$1 name=$2
  file_path="$work_dir/$name"
  local bytes=$((mib * 1024 * 1024))
  if [ ! -f "$file_path" ] || [ "$(stat -c %s "$file_path")" -ne "$bytes" ]; then
    note "generating $file_path ($mib MiB of random bytes, once)"
    partial_file="$file_path.partial"
    head -c "$bytes" /dev/urandom >"$partial_file"
    mv -f -- "$partial_file" "$file_path"
    partial_file=""
    rm -f -- "$file_path.sha256"
  fi
  if [ ! -s "$file_path.sha256" ] || [ "$file_path.sha256" -ot "$file_path" ]; then
    note "hashing $file_path"
    "$python" "$helper" sha256 "$file_path" >"$file_path.sha256.tmp"
    mv -f -- "$file_path.sha256.tmp" "$file_path.sha256"
  fi
  file_sha=$(cat "$file_path.sha256")
}

large_name="large-${large_mib}MiB.bin"
throttled_name="throttled-${throttled_mib}MiB.bin"
www="$tmp_dir/www"
mkdir -p "$www/throttled"

shm_free_mib=$(( $(df -Pk "$out_dir" | awk 'NR == 2 { print $4 }') / 1024 ))
needed_mib=0
{ has_case a || has_case c; } && needed_mib=$large_mib
[[ " $cases " == *" b "* ]] && [ "$throttled_mib" -gt "$needed_mib" ] && needed_mib=$throttled_mib
[ "$shm_free_mib" -gt $((needed_mib + 64)) ] ||
  die "$shm_base has $shm_free_mib MiB free; the downloads need $((needed_mib + 64)) MiB"

large_sha=""
throttled_sha=""
if has_case a || has_case c; then
  prepare_file "$large_mib" "$large_name"
  large_sha=$file_sha
  large_path=$file_path
  ln -s "$file_path" "$www/$large_name"
  # Read it once so every tool is served from the page cache.
  cat "$file_path" >/dev/null
fi
if [[ " $cases " == *" b "* ]]; then
  prepare_file "$throttled_mib" "$throttled_name"
  throttled_sha=$file_sha
  ln -s "$file_path" "$www/throttled/$throttled_name"
fi

# ------------------------------------------------------------ nginx
certificate="$tmp_dir/server.pem"
tls_lines=""
if [ "$tls" = 1 ]; then
  command -v openssl >/dev/null || die "openssl is needed for BENCH_TLS=1"
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout "$tmp_dir/server.key" \
    -out "$certificate" -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 2>"$tmp_dir/openssl.out" ||
    die "openssl could not make the certificate: $(cat "$tmp_dir/openssl.out")"
  tls_lines="ssl_certificate $certificate; ssl_certificate_key $tmp_dir/server.key;"
fi
start_nginx() {
  local attempt
  for attempt in 1 2 3 4 5; do
    port=$("$python" "$helper" port)
    local user_line=""
    [ "$(id -u)" -eq 0 ] && user_line="user root;"
    cat >"$tmp_dir/nginx.conf" <<EOF
# Generated by bench/http_bench.sh for one run; removed afterwards.
$user_line
daemon off;
worker_processes auto;
pid $tmp_dir/nginx.pid;
error_log $tmp_dir/error.log warn;
events { worker_connections 256; }
http {
  types { application/octet-stream bin; }
  default_type application/octet-stream;
  log_format bench '\$request|\$http_range|\$http_user_agent|\$status|\$body_bytes_sent';
  access_log $tmp_dir/access.log bench;
  client_body_temp_path $tmp_dir/client_body_temp;
  proxy_temp_path $tmp_dir/proxy_temp;
  fastcgi_temp_path $tmp_dir/fastcgi_temp;
  uwsgi_temp_path $tmp_dir/uwsgi_temp;
  scgi_temp_path $tmp_dir/scgi_temp;
  sendfile on;
  tcp_nopush on;
  keepalive_timeout 30s;
  server {
    listen 127.0.0.1:$port$([ "$tls" = 1 ] && echo ' ssl');
    $tls_lines
    root $www;
    location /throttled/ {
      limit_rate $rate;
    }
  }
}
EOF
    nginx -c "$tmp_dir/nginx.conf" -p "$tmp_dir" -e "$tmp_dir/error.log" >"$tmp_dir/nginx.out" 2>&1 &
    nginx_pid=$!
    local _
    for _ in $(seq 100); do
      if ! kill -0 "$nginx_pid" 2>/dev/null; then break; fi
      if "$python" - "$port" <<'EOF' 2>/dev/null; then return 0; fi
import socket, sys
socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=0.2).close()
EOF
      sleep 0.05
    done
    kill -TERM "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
    nginx_pid=""
    note "nginx did not start on port $port (attempt $attempt):"
    tail -n 5 "$tmp_dir/error.log" "$tmp_dir/nginx.out" >&2 2>/dev/null || true
  done
  die "could not start nginx"
}
base_url=""
if has_case a || has_case b; then
  start_nginx
  base_url="$([ "$tls" = 1 ] && echo https || echo http)://127.0.0.1:$port"
  note "nginx serves $www on $base_url"
fi

# ------------------------------------------------------------ vsftpd
# Anonymous, read-only, on 127.0.0.1. It runs as the launching user without
# chroot, so the served folder only has to be readable. The large file is
# hard-linked into that folder (a copy when the link is impossible, e.g.
# across file systems); every command the clients send is logged, so the
# table can show which data connection mode each tool used.
ftp_root="$tmp_dir/ftp"
ftp_log="$tmp_dir/vsftpd.log"
start_vsftpd() {
  mkdir -p "$ftp_root" "$tmp_dir/vsftpd-empty"
  chmod 755 "$tmp_dir" "$ftp_root"
  if ! ln -- "$large_path" "$ftp_root/$large_name" 2>/dev/null; then
    note "copying $large_path into $ftp_root (no hard link possible)"
    cp -- "$large_path" "$ftp_root/$large_name"
  fi
  chmod a+r "$ftp_root/$large_name"
  local attempt range
  for attempt in 1 2 3 4 5; do
    ftp_port=$("$python" "$helper" port)
    # Passive data ports: a free range below the kernel's ephemeral ports.
    range=$("$python" "$helper" port-range 32)
    cat >"$tmp_dir/vsftpd.conf" <<EOF
# Generated by bench/http_bench.sh for one run; removed afterwards.
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$ftp_port
background=NO
anonymous_enable=YES
anon_root=$ftp_root
no_anon_password=YES
local_enable=NO
write_enable=NO
pasv_enable=YES
pasv_min_port=${range% *}
pasv_max_port=${range#* }
port_enable=YES
connect_from_port_20=NO
secure_chroot_dir=$tmp_dir/vsftpd-empty
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
run_as_launching_user=YES
xferlog_enable=YES
xferlog_std_format=NO
log_ftp_protocol=YES
vsftpd_log_file=$ftp_log
EOF
    vsftpd "$tmp_dir/vsftpd.conf" >"$tmp_dir/vsftpd.out" 2>&1 &
    vsftpd_pid=$!
    local _
    for _ in $(seq 100); do
      if ! kill -0 "$vsftpd_pid" 2>/dev/null; then break; fi
      if "$python" - "$ftp_port" <<'EOF' 2>/dev/null; then return 0; fi
import socket, sys
with socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=0.5) as s:
    assert s.recv(64).startswith(b"220")
EOF
      sleep 0.05
    done
    kill -TERM "$vsftpd_pid" 2>/dev/null || true
    wait "$vsftpd_pid" 2>/dev/null || true
    vsftpd_pid=""
    note "vsftpd did not start on port $ftp_port (attempt $attempt):"
    tail -n 5 "$tmp_dir/vsftpd.out" >&2 2>/dev/null || true
  done
  die "could not start vsftpd"
}
ftp_url=""
if has_case c; then
  start_vsftpd
  ftp_url="ftp://127.0.0.1:$ftp_port"
  note "vsftpd serves $ftp_root on $ftp_url (passive data ports $(sed -n 's/^pasv_m.._port=//p' "$tmp_dir/vsftpd.conf" | paste -sd-))"
fi

# ------------------------------------------------------------ tools
# The commit of the tree kevaget was built from (when it lives in this tree).
source_state() {
  case $kevaget in "$repo_dir"/*) ;; *) return 0 ;; esac
  local head
  head=$(git -C "$repo_dir" rev-parse --short HEAD 2>/dev/null) || return 0
  if [ -n "$(git -C "$repo_dir" status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo ", tree at $head with uncommitted changes"
  else
    echo ", tree at $head"
  fi
}

# tools.tsv: tool, state (ok|skipped), note, command line (for the report)
tools_tsv="$tmp_dir/tools.tsv"
: >"$tools_tsv"
active_tools=()
kevaget_version=""
for tool in $tools_wanted; do
  case $tool in
    kevaget)
      shown='kevaget -f -o OUT URL'
      if [ -x "$kevaget" ]; then
        active_tools+=(kevaget)
        kevaget_version="$kevaget (built $(date -r "$kevaget" '+%Y-%m-%d %H:%M')$(source_state))"
        printf '%s\tok\t\t%s\n' "$tool" "$shown" >>"$tools_tsv"
      else
        note "kevaget not found at $kevaget: skipped (set KEVAGET to its path)"
        printf '%s\tskipped\tnot found at %s\t%s\n' "$tool" "$kevaget" "$shown" >>"$tools_tsv"
      fi
      continue
      ;;
    curl) shown='curl -s -o OUT URL' ;;
    wget) shown='wget -q -O OUT URL' ;;
    aria2c) shown="aria2c -x6 -s6 --allow-overwrite=true --auto-file-renaming=false --file-allocation=none --console-log-level=warn --summary-interval=0${aria2c_extra:+ $aria2c_extra} -d DIR -o NAME URL" ;;
    axel) shown='axel -n6 -q -o OUT URL' ;;
    *) die "unknown tool '$tool' in BENCH_TOOLS (known: kevaget curl wget aria2c axel)" ;;
  esac
  if command -v "$tool" >/dev/null; then
    active_tools+=("$tool")
    printf '%s\tok\t\t%s\n' "$tool" "$shown" >>"$tools_tsv"
  else
    note "$tool is not installed: skipped"
    printf '%s\tskipped\tnot installed\t%s\n' "$tool" "$shown" >>"$tools_tsv"
  fi
done

# kevaget keeps its settings and sockets away from the user's own.
export KEVA_REGISTRY_DIR=${KEVA_REGISTRY_DIR:-$tmp_dir/keva-registry}
export KEVA_RUNTIME_DIR=${KEVA_RUNTIME_DIR:-$tmp_dir/keva-runtime}
mkdir -p "$KEVA_REGISTRY_DIR" "$KEVA_RUNTIME_DIR"
chmod 700 "$KEVA_RUNTIME_DIR"

# Case (c) gives kevaget a settings folder of its own, whatever is set
# outside: a REGEDIT4 hive with passive mode on ("UsePASV"="1") and a start
# count, so that kevaget does not write its first-run values over it. Its
# program folder (KEVA_HOME) is a temporary folder too, with the language
# files of the build linked in.
keva_ftp_registry="$tmp_dir/keva-registry-ftp"
keva_ftp_home="$tmp_dir/keva-home-ftp"
prepare_keva_ftp() {
  mkdir -p "$keva_ftp_registry" "$keva_ftp_home"
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n"RunTimes"="1"\n"UsePASV"="1"\n' \
    >"$keva_ftp_registry/HKEY_LOCAL_MACHINE.reg"
  local lang
  lang="$(dirname "$kevaget")/Lang"
  [ -d "$lang" ] && ln -s "$lang" "$keva_ftp_home/Lang"
  return 0
}

download_command() { # tool url out -> sets cmd array
  local tool=$1 url=$2 out=$3
  local trust=()
  if [[ $url == https://* ]]; then
    case $tool in
      kevaget) trust=(--ca-certificate "$certificate") ;;
      curl) trust=(--cacert "$certificate") ;;
      wget | aria2c) trust=("--ca-certificate=$certificate") ;;
      axel) trust=(-k) ;;
    esac
  fi
  case $tool in
    kevaget) cmd=("$kevaget" "${trust[@]}" -f -o "$out" "$url") ;;
    curl) cmd=(curl "${trust[@]}" -s -o "$out" "$url") ;;
    wget) cmd=(wget "${trust[@]}" -q -O "$out" "$url") ;;
    aria2c) # shellcheck disable=SC2206 # BENCH_ARIA2C_OPTS holds several options
      cmd=(aria2c "${trust[@]}" -x6 -s6 --allow-overwrite=true --auto-file-renaming=false
                 --file-allocation=none --console-log-level=warn --summary-interval=0
                 $aria2c_extra -d "$(dirname "$out")" -o "$(basename "$out")" "$url") ;;
    axel) cmd=(axel "${trust[@]}" -n6 -q -o "$out" "$url") ;;
  esac
}

# ------------------------------------------------------------ measuring
results_tsv="$tmp_dir/results.tsv"
warmup_done=""
: >"$results_tsv"

clear_out_dir() { find "$out_dir" -mindepth 1 -delete; }
# Requests nginx has logged so far (each download's count goes in the table);
# for case (c), the lines vsftpd has logged.
log_lines() { # case
  local log="$tmp_dir/access.log"
  [ "$1" = c ] && log=$ftp_log
  if [ -f "$log" ]; then wc -l <"$log"; else echo 0; fi
}
# What one FTP download did, from vsftpd's log lines after line $1: the number
# of RETR commands, and the data connection commands used (EPSV, PASV, PORT,
# EPRT), e.g. "1 PASV".
ftp_log_summary() { # first-line
  local lines retr modes
  lines=$(tail -n +"$(($1 + 1))" "$ftp_log" | grep -o 'FTP command: Client "[^"]*", "[A-Z]*' | sed 's/.*"//' || true)
  retr=$(grep -cx RETR <<<"$lines" || true)
  modes=$(grep -xE 'EPSV|PASV|PORT|EPRT' <<<"$lines" | sort -u | paste -sd+ || true)
  echo "${retr:-0} ${modes:-none}"
}

# One download: times it, checks it, records it.
measure() { # case tool run url name sha timeout
  local case=$1 tool=$2 run=$3 url=$4 name=$5 sha=$6 limit=$7
  local out="$out_dir/$name" log="$tmp_dir/$case-$tool-$run.log"
  clear_out_dir
  download_command "$tool" "$url" "$out"
  local wall cpu rc status before after requests mode=""
  before=$(log_lines "$case")
  local helper_rc=0
  helper_bg "$tmp_dir/measure.out" run "$limit" "$log" -- "${cmd[@]}" || helper_rc=$?
  # The helper ends with 128+N when a signal stopped it (Ctrl+C hits it too).
  [ "$helper_rc" -gt 128 ] && on_signal "$helper_rc"
  [ "$helper_rc" -eq 0 ] || die "timing helper failed for $tool (exit status $helper_rc)"
  read -r wall cpu rc <"$tmp_dir/measure.out"
  if [ "$rc" != 0 ]; then
    status="exit-$rc"
    [ "$rc" = timeout ] && status="timeout"
  elif [ ! -f "$out" ]; then
    status="no-file"
  elif [ "$("$python" "$helper" sha256 "$out")" != "$sha" ]; then
    status="bad-sha256"
  else
    status="ok"
  fi
  clear_out_dir
  if [ "$case" = c ]; then
    read -r requests mode <<<"$(ftp_log_summary "$before")"
    # Case (c) compares passive mode only: a download that opened an active
    # data connection (or none the log shows) does not count.
    if [ "$status" = ok ] && [[ $mode != PASV && $mode != EPSV && $mode != EPSV+PASV ]]; then
      status="mode-$mode"
    fi
  else
    after=$(log_lines "$case")
    requests=$((after - before))
  fi
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$case" "$tool" "$run" "$wall" "$cpu" "$status" "$requests" "$mode" >>"$results_tsv"
  printf '  (%s) %-8s run %d: wall %7.2f s  CPU %6.2f s  requests %2d%s  %s\n' "$case" "$tool" "$run" "$wall" "$cpu" "$requests" "${mode:+ $mode}" "$status" >&2
  if [ "$status" != ok ]; then
    note "$tool output (last lines of $log):"
    tail -n 5 "$log" >&2 || true
  fi
}

run_case() { # case url name sha timeout tool...
  local case=$1 url=$2 name=$3 sha=$4 limit=$5
  shift 5
  local tools=("$@")
  local max=0 tool n run
  for tool in "${tools[@]}"; do
    n=$(runs_for "$case" "$tool")
    [ "$n" -gt "$max" ] && max=$n
  done
  # Round-robin over the tools, so that drift in the machine's speed
  # spreads over all of them.
  for ((run = 1; run <= max; run++)); do
    for tool in "${tools[@]}"; do
      n=$(runs_for "$case" "$tool")
      [ "$run" -le "$n" ] || continue
      measure "$case" "$tool" "$run" "$url" "$name" "$sha" "$limit"
    done
  done
}

[ "${#active_tools[@]}" -gt 0 ] || die "no tool to measure"
note "tools: ${active_tools[*]}"

if [[ " $cases " == *" a "* ]]; then
  note "case (a): $large_mib MiB, unthrottled, into $out_dir (runs: $runs_a per tool)"
  if [ "$warmup" = 1 ] && command -v curl >/dev/null; then
    # One untimed download first, so that the first timed run does not pay
    # for warming up nginx, the page cache and /dev/shm.
    download_command curl "$base_url/$large_name" "$out_dir/$large_name"
    helper_bg "$tmp_dir/measure.out" run "$timeout_a" "$tmp_dir/warmup.log" -- "${cmd[@]}" || on_signal 130
    warmup_done=1
    clear_out_dir
  fi
  run_case a "$base_url/$large_name" "$large_name" "$large_sha" "$timeout_a" "${active_tools[@]}"
fi
if [[ " $cases " == *" b "* ]]; then
  note "case (b): $throttled_mib MiB, limit_rate $rate per connection (runs: $runs_b per tool)"
  run_case b "$base_url/throttled/$throttled_name" "$throttled_name" "$throttled_sha" "$timeout_b" "${active_tools[@]}"
fi
ftp_warmup_done=""
if has_case c; then
  ftp_tools=()
  for tool in "${active_tools[@]}"; do
    case $tool in kevaget | curl | wget) ftp_tools+=("$tool") ;; esac
  done
  if [ "${#ftp_tools[@]}" -eq 0 ]; then
    note "case (c): none of kevaget, curl and wget is measured; skipped"
  else
    note "case (c): $large_mib MiB over FTP, passive mode, into $out_dir (runs: $runs_c per tool; tools: ${ftp_tools[*]})"
    if [ "$warmup" = 1 ] && command -v curl >/dev/null; then
      # Untimed, as in case (a): warms up vsftpd and the page cache.
      helper_bg "$tmp_dir/measure.out" run "$timeout_c" "$tmp_dir/warmup-ftp.log" -- \
        curl -s -o "$out_dir/$large_name" "$ftp_url/$large_name" || on_signal 130
      ftp_warmup_done=1
      clear_out_dir
    fi
    # kevaget reads its settings from its own folders in this case only.
    saved_registry=$KEVA_REGISTRY_DIR
    saved_home=${KEVA_HOME-}
    saved_home_set=${KEVA_HOME+1}
    prepare_keva_ftp
    export KEVA_REGISTRY_DIR=$keva_ftp_registry KEVA_HOME=$keva_ftp_home
    run_case c "$ftp_url/$large_name" "$large_name" "$large_sha" "$timeout_c" "${ftp_tools[@]}"
    export KEVA_REGISTRY_DIR=$saved_registry
    if [ -n "$saved_home_set" ]; then export KEVA_HOME=$saved_home; else unset KEVA_HOME; fi
  fi
fi

# ------------------------------------------------------------ report
tls_note=""
[ "$tls" = 1 ] && tls_note="Over https:// (nginx with a P-256 certificate made for the run; kevaget --ca-certificate, curl --cacert, wget and aria2c --ca-certificate, axel -k). "
settings_tsv="$tmp_dir/settings.tsv"
{
  printf 'cases\t%s\n' "$cases"
  printf 'runs_a\t%s\n' "$runs_a"
  printf 'runs_b\t%s\n' "$runs_b"
  printf 'runs_c\t%s\n' "$runs_c"
  printf 'load_start\t%s\n' "$load_start"
  printf 'ftp_skipped\t%s\n' "$ftp_skipped"
  printf 'kevaget_version\t%s\n' "$kevaget_version"
  printf 'nginx_detail\t%s\n' "$(nginx -v 2>&1 | head -n 1), worker_processes auto, sendfile on, tcp_nopush on, listening on 127.0.0.1; files served from the page cache"
  printf 'kevaget_detail\t%s\n' "${kevaget_version:-not measured (not found at $kevaget)}; KEVA_REGISTRY_DIR and KEVA_RUNTIME_DIR point to temporary folders unless already set; in case (c) KEVA_REGISTRY_DIR and KEVA_HOME always point to temporary folders of that case (settings with \"UsePASV\"=\"1\")"
  if [[ " $cases " == *" a "* ]]; then
    printf 'case_a_detail\t%s\n' "${tls_note:-}$large_mib MiB of random bytes, no rate limit, saved to $shm_base. Time limit per download: $timeout_a s.${warmup_done:+ One untimed curl download ran first, to warm up.}"
  fi
  if [[ " $cases " == *" b "* ]]; then
    printf 'case_b_detail\t%s\n' "${tls_note:-}$throttled_mib MiB of random bytes from a location with \`limit_rate $rate;\` (per connection), saved to $shm_base. Time limit per download: $timeout_b s."
  fi
  if has_case c; then
    printf 'vsftpd_version\t%s\n' "$(vsftpd -v 0>&1 | head -n 1)"
    printf 'vsftpd_detail\t%s\n' "$(vsftpd -v 0>&1 | head -n 1), anonymous and read-only on 127.0.0.1, run as the launching user without chroot (isolate=NO, seccomp_sandbox=NO), passive data ports $(sed -n 's/^pasv_m.._port=//p' "$tmp_dir/vsftpd.conf" | paste -sd-); every command logged; file served from the page cache"
    printf 'case_c_detail\t%s\n' "The same $large_mib MiB file over FTP from vsftpd, no rate limit, saved to $shm_base; kevaget, curl and wget only, all in passive mode: kevaget with \"UsePASV\"=\"1\" in a settings folder of its own, curl and wget by default (curl sends EPSV, wget and kevaget PASV). A download that opened an active data connection counts as bad. Time limit per download: $timeout_c s.${ftp_warmup_done:+ One untimed curl download ran first, to warm up.}"
  fi
} >"$settings_tsv"

"$python" "$helper" report "$results_tsv" "$tools_tsv" "$settings_tsv" "$results_md"
note "results written to $results_md"
