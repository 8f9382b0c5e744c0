#!/usr/bin/python3
"""Site crawl benchmark: the generated site of the crawl tests (70 pages and
230 other files below /site/, about 300 in all, links written in every way
pages write them) served by nginx on loopback, crawled from
/site/index.html by KEVA's site crawl (`site_crawl`, the crawl and download
engine without windows) with at most 3 and at most 1 download at a time, and
by `wget -r -l inf -np -nH --cut-dirs=1 -e robots=off -R gif,jpeg` (one
connection), restricted the same way. Each run starts with an empty folder;
wall time of the whole program; every run's tree of files is compared, by
sha256, with the first wget run's.

    bench/site_bench.py

Environment: SITE_CRAWL (default build/bin/site_crawl), BENCH_RUNS (runs per
tool, default 5), BENCH_RESULTS (default bench/RESULTS-site.md). Network use:
127.0.0.1 only; nginx is stopped and the temporary folder removed at the end,
Ctrl+C included.
"""

import hashlib
import os
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
SITE_CRAWL = os.environ.get("SITE_CRAWL", os.path.join(HERE, "..", "build", "bin", "site_crawl"))
RUNS = int(os.environ.get("BENCH_RUNS", "5"))
RESULTS = os.environ.get("BENCH_RESULTS", os.path.join(HERE, "RESULTS-site.md"))
WGET_ARGS = ["-q", "-r", "-l", "inf", "-np", "-nH", "--cut-dirs=1", "-e", "robots=off", "-R", "gif,jpeg"]


def tree(folder):
    files = {}
    for top, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(top, name)
            with open(path, "rb") as file:
                files[os.path.relpath(path, folder)] = hashlib.sha256(file.read()).hexdigest()
    return files


def main():
    if not os.access(SITE_CRAWL, os.X_OK):
        raise SystemExit(f"site_bench: no site_crawl at {SITE_CRAWL}; build it (ninja site_crawl) or set SITE_CRAWL")
    if not shutil.which("wget"):
        raise SystemExit("site_bench: wget is not installed (apt-get install wget)")
    root = tempfile.mkdtemp(prefix="site-bench-")
    os.chmod(root, 0o755)
    www = os.path.join(root, "www")
    os.makedirs(www)
    nginx = None
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        nginx, port = start_nginx(os.path.join(root, "nginx"), www,
                                  http_extra="types { text/html html htm; } default_type application/octet-stream;")
        made = subprocess.run([SITE_CRAWL, "generate", www, str(port)], capture_output=True, text=True, check=True)
        pages, files, missing = (int(n) for n in made.stdout.split())
        url = f"http://127.0.0.1:{port}/site/index.html"
        tools = {
            "KEVA, 3 at a time": lambda out: [SITE_CRAWL, "crawl", url, out, "3"],
            "KEVA, 1 at a time": lambda out: [SITE_CRAWL, "crawl", url, out, "1"],
            "wget -r": lambda out: ["wget"] + WGET_ARGS + ["-P", out, url],
        }
        walls = {tool: [] for tool in tools}
        reference = None
        mismatches = []
        count = 0
        for run in range(RUNS):
            # wget first in the first run, so its tree is the reference.
            order = ["wget -r"] + [t for t in tools if t != "wget -r"]
            for tool in order if run % 2 == 0 else reversed(order):
                out = os.path.join(root, f"run{run}-{len(walls[tool])}-{tool.split()[0].strip(',')}")
                os.makedirs(out)
                began = time.monotonic()
                result = subprocess.run(tools[tool](out), capture_output=True, text=True)
                wall = time.monotonic() - began
                ok = result.returncode == 0 or (tool == "wget -r" and result.returncode == 8 and missing > 0)
                got = tree(out)
                if reference is None:
                    reference = got
                    count = len(got)
                if not ok or got != reference:
                    mismatches.append(f"{tool}, run {run + 1}: exit {result.returncode}, {len(got)} files"
                                      + ("" if got == reference else ", tree differs from wget's"))
                walls[tool].append(wall if ok and got == reference else float("nan"))
                shutil.rmtree(out, ignore_errors=True)
        wget_median = statistics.median(walls["wget -r"])
        report = ["# Site crawl benchmark: latest results", "",
                  "Written by `bench/site_bench.py`; each run overwrites this file.", "",
                  f"- Date: {time.strftime('%Y-%m-%d %H:%M:%S %z')}",
                  f"- Machine: {os.cpu_count()} cores, load {open('/proc/loadavg').read().split()[:3]} at the start",
                  f"- site_crawl: {os.path.abspath(SITE_CRAWL)}", f"- wget: {(first_line(['wget', '--version']) or 'not found')}",
                  f"- nginx: {(first_line(['nginx', '-v']) or 'not found')}", "",
                  f"The generated site: {pages} pages and {files} other files below /site/, {missing} links to "
                  f"missing files; {count} files are fetched (the options leave out .gif and .jpeg). "
                  f"{RUNS} run(s) per tool, in alternating order, each into an empty folder; wall time of the "
                  "whole program (start-up included). A run whose tree differs from wget's first, by sha256, "
                  "counts as nan.", "",
                  "| tool | wall times (s) | median (s) | median / wget's |", "|---|---|---|---|"]
        finish_runs_report(RESULTS, report, walls, lambda median: median / wget_median,
                           "Every tree equal to wget's.", mismatches)
    finally:
        if nginx:
            nginx.terminate()
            nginx.wait(5)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
