#!/bin/sh
# Start-up of KEVA's main window with a History.ini of many rows: the time
# from the start of the process to the first paint of the main window, and
# the peak resident memory until then. KEVA reports both itself when
# KEVA_REPORT_STARTUP=1 is set, then ends at once without saving.
#
#   bench/mainwin_startup.sh                  # 10,000 rows, 7 runs
#   BENCH_ROWS=1000 BENCH_RUNS=3 bench/mainwin_startup.sh
#   KEVA=/path/to/KEVA bench/mainwin_startup.sh
#
# Runs under Xvfb (xvfb-run) unless BENCH_PLATFORM=offscreen is given.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
KEVA=${KEVA:-$here/../build-mw-rel/bin/KEVA}
ROWS=${BENCH_ROWS:-10000}
RUNS=${BENCH_RUNS:-7}
PLATFORM=${BENCH_PLATFORM:-xvfb}

[ -x "$KEVA" ] || { echo "no KEVA at $KEVA (build: ninja -C build-mw-rel KEVA)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/registry" "$work/run"
chmod 700 "$work/run"
cp -r "$(dirname "$KEVA")/Lang" "$work/home/"

# The history: rows of today, yesterday and up to 60 days back, so every list
# gets rows; seven lines each, CR LF.
python3 - "$work/home/History.ini" "$ROWS" <<'PY'
import datetime, sys
path, rows = sys.argv[1], int(sys.argv[2])
today = datetime.date.today()
with open(path, "w", newline="") as out:
    for n in range(rows):
        day = today - datetime.timedelta(days=n % 61)
        out.write("\r\n".join([
            f"/home/user/Downloads/file-{n:05d}.bin", f"{n % 101}%", f"{n % 977}.{n % 100:02d} MB",
            f"{n % 500}.00 MB", "Download Completed!" if n % 3 else "Paused/Stopped",
            f"http://downloads.example.com/files/{n // 100}/file-{n:05d}.bin",
            f"{day.month}/{day.day}/{day.year}"]) + "\r\n")
PY

run_once() {
    if [ "$PLATFORM" = offscreen ]; then
        QT_QPA_PLATFORM=offscreen "$@"
    else
        xvfb-run -a -s "-screen 0 1280x800x24" "$@"
    fi
}

echo "KEVA: $KEVA"
echo "rows: $ROWS, runs: $RUNS, platform: $PLATFORM"
: > "$work/results"
i=0
while [ "$i" -lt "$RUNS" ]; do
    i=$((i + 1))
    cp "$work/home/History.ini" "$work/History.keep"
    line=$(KEVA_HOME="$work/home" KEVA_REGISTRY_DIR="$work/registry" KEVA_RUNTIME_DIR="$work/run" \
        KEVA_REPORT_STARTUP=1 run_once "$KEVA" 2>&1 | grep '^shown after' || true)
    cp "$work/History.keep" "$work/home/History.ini"
    [ -n "$line" ] || { echo "run $i: no report" >&2; exit 1; }
    echo "run $i: $line"
    echo "$line" | sed 's/shown after \([0-9]*\) ms, max RSS \([0-9]*\) kB/\1 \2/' >> "$work/results"
done
sort -n "$work/results" | awk '{ ms[NR] = $1 } END { print "median time: " ms[int((NR + 1) / 2)] " ms" }'
sort -n -k2 "$work/results" | awk '{ kb[NR] = $2 } END { printf "median max RSS: %.1f MB\n", kb[int((NR + 1) / 2)] / 1024 }'
