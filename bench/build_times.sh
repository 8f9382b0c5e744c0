#!/usr/bin/env bash
# A newcomer's first build, timed: a fresh clone of this repository runs
# `scripts/setup run` (up to kevaget's help, without a display) and then
# `scripts/setup test`, with an empty compiler cache (cold); a second fresh
# clone does the same with the cache the first one filled (warm). The phases
# of `test` are timed apart (packages and format check, build, browser tools,
# test suite); extra arguments go to both clones' ctest (for example
# `-L unit`, to time the builds without running the whole suite).
# Every time comes with the load average, since the machine may be shared.
#
#   bench/build_times.sh [ctest-arguments...]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
export CCACHE_DIR=$work/ccache
unset DISPLAY WAYLAND_DISPLAY

load() { cut -d' ' -f1-3 /proc/loadavg; }

# Seconds, with the load at the end, of one command in the clone.
timed() { # label command...
  local label=$1 start
  shift
  start=$EPOCHREALTIME
  "$@" >"$work/$label.log" 2>&1
  printf '%-24s %7.0f s   load %s\n' "$label" "$(echo "$EPOCHREALTIME - $start" | bc)" "$(load)"
}

# scripts/setup test traced with time stamps; the phases start where the
# build, the browser tools and ctest start.
timed_test() { # label ctest-arguments...
  local label=$1
  shift
  local start=$EPOCHREALTIME
  # (bash takes no PS4 from the environment when run as root)
  bash -c 'PS4="+ \$EPOCHREALTIME "; set -x; . scripts/setup "$@"' scripts/setup test "$@" >"$work/$label.log" 2>&1 ||
    echo "$label: failed, see $work/$label.log"
  local end=$EPOCHREALTIME
  awk -v start="$start" -v end="$end" -v label="$label" -v load="$(load)" '
    /^\++ [0-9.]+ cmake --build build-test/ && !b { b = $2 }
    /^\++ [0-9.]+ browser_tools build-test/ && !t { t = $2 }
    /^\++ [0-9.]+ ctest / && !c { c = $2 }
    END {
      printf "%-24s %7.0f s   (packages and format check %.0f s, build %.0f s, browser tools %.0f s, suite %.0f s)   load %s\n",
        label, end - start, b - start, t - b, c - t, end - c, load
    }' "$work/$label.log"
  grep -E '^[0-9]+% tests passed|tests failed' "$work/$label.log" || true
}

for kind in cold warm; do
  git clone -q "$repo" "$work/$kind"
  cd "$work/$kind"
  ccache -z >/dev/null
  timed "$kind run" scripts/setup run
  timed_test "$kind test" "$@"
  echo "  compiler cache: $(ccache -s | grep -E '^ *Hits:' | head -1 | tr -s ' '), size $(du -sh "$CCACHE_DIR" | cut -f1)"
done
echo "Logs and clones: $work"
