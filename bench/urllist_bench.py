#!/usr/bin/python3
"""URL list benchmark: 200 small files (1 KB to 64 KB, fixed by a seed)
served by nginx on loopback, fetched from one list of their URLs by
`kevaget -i LIST -j 4`, `aria2c -i LIST -j 4` and `wget -i LIST` (one at a
time). Each run starts with an empty folder; wall time of the whole program;
every run's files are compared, by sha256, with the served ones.

    bench/urllist_bench.py

Environment: KEVAGET (default build-rel/bin/kevaget; build it with
CMAKE_BUILD_TYPE=RelWithDebInfo, not the sanitized build), BENCH_RUNS (runs
per tool, default 5), BENCH_FILES (default 200), BENCH_RESULTS (default
bench/RESULTS-urllist.md). Network use: 127.0.0.1 only; nginx is stopped and
the temporary folder removed at the end, Ctrl+C included.
"""

import hashlib
import os
import random
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchutil import finish_runs_report, first_line, start_nginx  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
KEVAGET = os.path.abspath(os.environ.get("KEVAGET", os.path.join(HERE, "..", "build-rel", "bin", "kevaget")))
RUNS = int(os.environ.get("BENCH_RUNS", "5"))
FILES = int(os.environ.get("BENCH_FILES", "200"))
RESULTS = os.environ.get("BENCH_RESULTS", os.path.join(HERE, "RESULTS-urllist.md"))


def load_average():
    with open("/proc/loadavg", encoding="utf-8") as file:
        return " ".join(file.read().split()[:3])


def tree(folder):
    files = {}
    for name in os.listdir(folder):
        with open(os.path.join(folder, name), "rb") as file:
            files[name] = hashlib.sha256(file.read()).hexdigest()
    return files


def main():
    if not os.access(KEVAGET, os.X_OK):
        raise SystemExit(f"urllist_bench: no kevaget at {KEVAGET}; build it (cmake --build build-rel --target "
                         "kevaget) or set KEVAGET")
    for peer in ("aria2c", "wget"):
        if not shutil.which(peer):
            raise SystemExit(f"urllist_bench: {peer} is not installed (apt-get install {peer})")
    root = tempfile.mkdtemp(prefix="urllist-bench-")
    os.chmod(root, 0o755)
    www = os.path.join(root, "www")
    os.makedirs(www)
    nginx = None
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        rng = random.Random(200)
        for n in range(FILES):
            with open(os.path.join(www, f"f{n:03}.bin"), "wb") as file:
                file.write(rng.randbytes(rng.randint(1024, 64 * 1024)))
        served = tree(www)
        nginx, port = start_nginx(os.path.join(root, "nginx"), www)
        urls = os.path.join(root, "list.txt")
        with open(urls, "w", encoding="utf-8") as file:
            file.write("".join(f"http://127.0.0.1:{port}/{name}\n" for name in sorted(served)))
        # kevaget's settings and registry stay in the temporary folder.
        environment = dict(os.environ, KEVA_HOME=os.path.join(root, "keva"),
                           KEVA_REGISTRY_DIR=os.path.join(root, "registry"))
        os.makedirs(environment["KEVA_HOME"])
        os.makedirs(environment["KEVA_REGISTRY_DIR"])
        tools = {
            "kevaget -i -j 4": lambda out: [KEVAGET, "-i", urls, "-j", "4"],
            "aria2c -i -j 4": lambda out: ["aria2c", "-q", "-i", urls, "-j", "4", "-d", out,
                                           "--auto-file-renaming=false"],
            "wget -i": lambda out: ["wget", "-q", "-i", urls, "-P", out],
        }
        walls = {tool: [] for tool in tools}
        mismatches = []
        load_start = load_average()
        for run in range(RUNS):
            order = list(tools)
            for tool in order if run % 2 == 0 else reversed(order):
                out = os.path.join(root, f"run{run}-{tool.split()[0]}")
                os.makedirs(out)
                began = time.monotonic()
                result = subprocess.run(tools[tool](out), cwd=out, env=environment, capture_output=True, text=True)
                wall = time.monotonic() - began
                got = tree(out)
                good = result.returncode == 0 and got == served
                if not good:
                    mismatches.append(f"{tool}, run {run + 1}: exit {result.returncode}, {len(got)} files"
                                      + ("" if got == served else ", files differ from the served ones"))
                walls[tool].append(wall if good else float("nan"))
                shutil.rmtree(out, ignore_errors=True)
        load_end = load_average()
        kevaget_median = statistics.median(walls["kevaget -i -j 4"])
        report = ["# URL list benchmark: latest results", "",
                  "Written by `bench/urllist_bench.py`; each run overwrites this file.", "",
                  f"- Date: {time.strftime('%Y-%m-%d %H:%M:%S %z')}",
                  f"- Machine: {os.cpu_count()} cores, shared with other builds and tests while this ran: "
                  f"load average (1, 5, 15 min) {load_start} at the start, {load_end} at the end",
                  f"- kevaget: {os.path.abspath(KEVAGET)}",
                  f"- aria2c: {first_line(['aria2c', '--version']) or 'not found'}",
                  f"- wget: {first_line(['wget', '--version']) or 'not found'}",
                  f"- nginx: {first_line(['nginx', '-v']) or 'not found'}", "",
                  f"{FILES} files of 1 KB to 64 KB ({sum(os.path.getsize(os.path.join(www, n)) for n in served)} "
                  f"bytes in all), one list of their URLs. {RUNS} run(s) per tool, in alternating order, each "
                  "into an empty folder; wall time of the whole program (start-up included). A run that fails "
                  "or whose files differ from the served ones, by sha256, counts as nan. On a loaded machine "
                  "the times scatter; the ratios of medians say more than the seconds.", "",
                  "| tool | wall times (s) | median (s) | kevaget's median / tool's |", "|---|---|---|---|"]
        finish_runs_report(RESULTS, report, walls, lambda median: kevaget_median / median,
                           "Every run's files equal to the served ones.", mismatches)
    finally:
        if nginx:
            nginx.terminate()
            nginx.wait(5)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
