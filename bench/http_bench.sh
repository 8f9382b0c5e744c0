#!/usr/bin/env bash
# HTTP download benchmark: kevaget against curl, wget, aria2c and axel.
#
# Starts nginx on a free loopback port with a configuration of its own and
# measures two cases, each download checked with sha256 against the served file:
#   (a) a large file (1 GiB of random bytes), unthrottled, saved to /dev/shm:
#       wall time and CPU time (user+sys) of the downloader;
#   (b) a 24 MiB file from a location throttled with `limit_rate 1m;` (per
#       connection): wall time.
# Prints a table of medians and writes it, with a description of the machine,
# to bench/RESULTS.md. See bench/README.md for the environment variables.
#
# Network use: 127.0.0.1 only. Every run has a time limit; the script stops by
# itself and cleans up (nginx, /dev/shm outputs, temporary folders) on exit,
# including Ctrl+C.
set -euo pipefail

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_dir=$(cd "$bench_dir/.." && pwd)
helper="$bench_dir/benchutil.py"

# ------------------------------------------------------------ settings
kevaget=${KEVAGET:-$repo_dir/build/bin/kevaget}
runs_a=${BENCH_RUNS_A:-3}
runs_b=${BENCH_RUNS_B:-2}
cases=${BENCH_CASES:-a b}
tools_wanted=${BENCH_TOOLS:-kevaget curl wget aria2c axel}
large_mib=${BENCH_LARGE_MIB:-1024}
throttled_mib=${BENCH_THROTTLED_MIB:-24}
rate=${BENCH_RATE:-1m}
timeout_a=${BENCH_TIMEOUT_A:-300}
timeout_b=${BENCH_TIMEOUT_B:-180}
work_dir=${BENCH_WORK_DIR:-$bench_dir/work}
results_md=${BENCH_RESULTS:-$bench_dir/RESULTS.md}
shm_base=${BENCH_OUT_BASE:-/dev/shm}
python=${BENCH_PYTHON:-python3}
aria2c_extra=${BENCH_ARIA2C_OPTS:-}
warmup=${BENCH_WARMUP:-1}

die() { echo "http_bench: $*" >&2; exit 1; }
note() { echo "http_bench: $*" >&2; }

is_count() { [[ $1 =~ ^[0-9]+$ ]]; }
is_count "$runs_a" || die "BENCH_RUNS_A must be a whole number (got '$runs_a')"
is_count "$runs_b" || die "BENCH_RUNS_B must be a whole number (got '$runs_b')"
is_size() { is_count "$1" && [ "$1" -gt 0 ]; }
is_size "$large_mib" || die "BENCH_LARGE_MIB must be a positive whole number (got '$large_mib')"
is_size "$throttled_mib" || die "BENCH_THROTTLED_MIB must be a positive whole number (got '$throttled_mib')"
for c in $cases; do [[ $c == a || $c == b ]] || die "BENCH_CASES takes 'a', 'b' or 'a b' (got '$cases')"; done
[[ $rate =~ ^[0-9]+[kKmMgG]?$ ]] || die "BENCH_RATE must look like 1m, 512k or 1048576 (got '$rate')"

command -v "$python" >/dev/null || die "python3 is needed for timing and statistics"
command -v nginx >/dev/null || die "nginx is not installed (apt-get install nginx-light)"

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
  else echo "$runs_b"
  fi
}

# ------------------------------------------------------------ cleanup
tmp_dir=""
out_dir=""
nginx_pid=""
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
[[ " $cases " == *" a "* ]] && needed_mib=$large_mib
[[ " $cases " == *" b "* ]] && [ "$throttled_mib" -gt "$needed_mib" ] && needed_mib=$throttled_mib
[ "$shm_free_mib" -gt $((needed_mib + 64)) ] ||
  die "$shm_base has $shm_free_mib MiB free; the downloads need $((needed_mib + 64)) MiB"

large_sha=""
throttled_sha=""
if [[ " $cases " == *" a "* ]]; then
  prepare_file "$large_mib" "$large_name"
  large_sha=$file_sha
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
    listen 127.0.0.1:$port;
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
start_nginx
base_url="http://127.0.0.1:$port"
note "nginx serves $www on $base_url"

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

download_command() { # tool url out -> sets cmd array
  local tool=$1 url=$2 out=$3
  case $tool in
    kevaget) cmd=("$kevaget" -f -o "$out" "$url") ;;
    curl) cmd=(curl -s -o "$out" "$url") ;;
    wget) cmd=(wget -q -O "$out" "$url") ;;
    aria2c) # shellcheck disable=SC2206 # BENCH_ARIA2C_OPTS holds several options
      cmd=(aria2c -x6 -s6 --allow-overwrite=true --auto-file-renaming=false
                 --file-allocation=none --console-log-level=warn --summary-interval=0
                 $aria2c_extra -d "$(dirname "$out")" -o "$(basename "$out")" "$url") ;;
    axel) cmd=(axel -n6 -q -o "$out" "$url") ;;
  esac
}

# ------------------------------------------------------------ measuring
results_tsv="$tmp_dir/results.tsv"
warmup_done=""
: >"$results_tsv"

clear_out_dir() { find "$out_dir" -mindepth 1 -delete; }
# Requests nginx has logged so far (each download's count goes in the table).
log_lines() { if [ -f "$tmp_dir/access.log" ]; then wc -l <"$tmp_dir/access.log"; else echo 0; fi; }

# One download: times it, checks it, records it.
measure() { # case tool run url name sha timeout
  local case=$1 tool=$2 run=$3 url=$4 name=$5 sha=$6 limit=$7
  local out="$out_dir/$name" log="$tmp_dir/$case-$tool-$run.log"
  clear_out_dir
  download_command "$tool" "$url" "$out"
  local wall cpu rc status before after
  before=$(log_lines)
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
  after=$(log_lines)
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$case" "$tool" "$run" "$wall" "$cpu" "$status" "$((after - before))" >>"$results_tsv"
  printf '  (%s) %-8s run %d: wall %7.2f s  CPU %6.2f s  requests %2d  %s\n' "$case" "$tool" "$run" "$wall" "$cpu" "$((after - before))" "$status" >&2
  if [ "$status" != ok ]; then
    note "$tool output (last lines of $log):"
    tail -n 5 "$log" >&2 || true
  fi
}

run_case() { # case url name sha timeout
  local case=$1 url=$2 name=$3 sha=$4 limit=$5
  local max=0 tool n run
  for tool in "${active_tools[@]}"; do
    n=$(runs_for "$case" "$tool")
    [ "$n" -gt "$max" ] && max=$n
  done
  # Round-robin over the tools, so that drift in the machine's speed
  # spreads over all of them.
  for ((run = 1; run <= max; run++)); do
    for tool in "${active_tools[@]}"; do
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
    helper_bg "$tmp_dir/measure.out" run "$timeout_a" "$tmp_dir/warmup.log" -- \
      curl -s -o "$out_dir/$large_name" "$base_url/$large_name" || on_signal 130
    warmup_done=1
    clear_out_dir
  fi
  run_case a "$base_url/$large_name" "$large_name" "$large_sha" "$timeout_a"
fi
if [[ " $cases " == *" b "* ]]; then
  note "case (b): $throttled_mib MiB, limit_rate $rate per connection (runs: $runs_b per tool)"
  run_case b "$base_url/throttled/$throttled_name" "$throttled_name" "$throttled_sha" "$timeout_b"
fi

# ------------------------------------------------------------ report
settings_tsv="$tmp_dir/settings.tsv"
{
  printf 'cases\t%s\n' "$cases"
  printf 'runs_a\t%s\n' "$runs_a"
  printf 'runs_b\t%s\n' "$runs_b"
  printf 'kevaget_version\t%s\n' "$kevaget_version"
  printf 'nginx_detail\t%s\n' "$(nginx -v 2>&1 | head -n 1), worker_processes auto, sendfile on, tcp_nopush on, listening on 127.0.0.1; files served from the page cache"
  printf 'kevaget_detail\t%s\n' "${kevaget_version:-not measured (not found at $kevaget)}; KEVA_REGISTRY_DIR and KEVA_RUNTIME_DIR point to temporary folders unless already set"
  if [[ " $cases " == *" a "* ]]; then
    printf 'case_a_detail\t%s\n' "$large_mib MiB of random bytes, no rate limit, saved to $shm_base. Time limit per download: $timeout_a s.${warmup_done:+ One untimed curl download ran first, to warm up.}"
  fi
  if [[ " $cases " == *" b "* ]]; then
    printf 'case_b_detail\t%s\n' "$throttled_mib MiB of random bytes from a location with \`limit_rate $rate;\` (per connection), saved to $shm_base. Time limit per download: $timeout_b s."
  fi
} >"$settings_tsv"

"$python" "$helper" report "$results_tsv" "$tools_tsv" "$settings_tsv" "$results_md"
note "results written to $results_md"
