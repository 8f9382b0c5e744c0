#!/usr/bin/python3
"""Two download benchmarks that need servers which misbehave or downloads
that are killed, run against the peers in the same run:

  slow     case (d): one connection ten times slower than the others. The
           scripted fault server sends every range at 2 MB/s except the one
           that starts at byte 0, which gets 200 KB/s. A 24 MiB file is
           fetched by kevaget, `aria2c -x6 -s6 -k1M` and `axel -n6`; wall
           time, each file checked with sha256. Target: kevaget at most 1.0x
           axel's wall time.
  crash    crash and resume: TRIALS trials per tool, each a download from a
           throttled nginx (limit_rate per connection) killed with SIGKILL at
           a random moment and then resumed (`kevaget -c`, `aria2c -c`).
           Half the trials fetch a 1.5 MB file on one connection, half a
           24 MiB file on six. Counts the files that come out byte-exact.
           Target: every kevaget trial.

    bench/resume_bench.py [slow] [crash]      (both when none is named)

Environment: KEVAGET (default build/bin/kevaget), BENCH_TRIALS (default 100),
BENCH_RUNS (runs per tool in case (d), default 3), BENCH_RESULTS (default
bench/RESULTS-resume.md). Network use: 127.0.0.1 only; everything started is
stopped and every temporary folder removed at the end, Ctrl+C included.
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
from benchutil import first_line, start_nginx  # noqa: E402

BENCH = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(BENCH)
KEVAGET = os.environ.get("KEVAGET", os.path.join(REPO, "build", "bin", "kevaget"))
FAULT_SERVER = os.path.join(REPO, "tests", "support", "fault_server.py")
TRIALS = int(os.environ.get("BENCH_TRIALS", "100"))
RUNS = int(os.environ.get("BENCH_RUNS", "3"))
RESULTS = os.environ.get("BENCH_RESULTS", os.path.join(BENCH, "RESULTS-resume.md"))
MIB = 1048576


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for block in iter(lambda: file.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


class Servers:
    """The fault server and nginx, on free loopback ports, in one folder."""

    def __init__(self, root):
        self.root = root
        self.www = os.path.join(root, "www")
        os.makedirs(self.www)
        os.chmod(root, 0o755)
        os.chmod(self.www, 0o755)
        self.processes = []

    def make(self, name, size):
        path = os.path.join(self.www, name)
        with open(path, "wb") as file:
            file.write(random.Random(size).randbytes(size))
        os.chmod(path, 0o644)
        return sha256(path)

    def fault(self):
        log = os.path.join(self.root, "fault.log")
        process = subprocess.Popen(["/usr/bin/python3", FAULT_SERVER, "--root", self.www, "--log", log],
                                   stdout=subprocess.PIPE, text=True)
        self.processes.append(process)
        return int(process.stdout.readline().split()[1])

    def nginx(self, rate):
        process, port = start_nginx(os.path.join(self.root, "nginx"), self.www,
                                    location=f"location / {{ limit_rate {rate}; }}")
        self.processes.append(process)
        return port

    def stop(self):
        for process in self.processes:
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()


def kevaget_env(root):
    env = dict(os.environ)
    for name in ("KEVA_HOME", "KEVA_REGISTRY_DIR", "KEVA_RUNTIME_DIR"):
        folder = os.path.join(root, name.lower())
        os.makedirs(folder, exist_ok=True)
        env.setdefault(name, folder)
    return env


def tool_command(tool, url, out, resume):
    folder, name = os.path.split(out)
    if tool == "kevaget":
        return [KEVAGET, "-c" if resume else "-f", "-o", out, url]
    if tool == "aria2c":
        return ["aria2c", "-x6", "-s6", "-k1M", "--allow-overwrite=true", "--auto-file-renaming=false",
                "--file-allocation=none", "--console-log-level=error", "--summary-interval=0",
                "-d", folder, "-o", name] + (["-c"] if resume else []) + [url]
    if tool == "axel":
        return ["axel", "-n6", "-q", "-o", out, url]
    raise ValueError(tool)


def case_slow(servers, env):
    expected = servers.make("slow.bin", 24 * MIB)
    port = servers.fault()
    url = f"http://127.0.0.1:{port}/pace/2000000/slow.bin"
    rows = []
    times = {}
    for tool in ("kevaget", "aria2c", "axel"):
        if shutil.which(tool) is None and tool != "kevaget":
            continue
        walls = []
        for _ in range(RUNS):
            out = os.path.join(servers.root, f"out-{tool}.bin")
            for leftover in (out, out + ".st", out + ".aria2", out + ".keva-resume"):
                if os.path.exists(leftover):
                    os.remove(leftover)
            started = time.monotonic()
            done = subprocess.run(tool_command(tool, url, out, False), env=env, capture_output=True, timeout=300)
            wall = time.monotonic() - started
            good = done.returncode == 0 and os.path.exists(out) and sha256(out) == expected
            walls.append(wall if good else float("nan"))
        good = [w for w in walls if w == w]
        times[tool] = statistics.median(good) if good else None
        rows.append((tool, " ".join(f"{w:.2f}" for w in walls), f"{times[tool]:.2f}" if times[tool] else "failed"))
    lines = ["## Case (d): one connection ten times slower", "",
             f"24 MiB from the scripted fault server (`pace/2000000`: 2 MB/s per connection, 200 KB/s for the range "
             f"that starts at byte 0), {RUNS} run(s) per tool, sha256 checked; a failed or wrong download counts as nan.", "",
             "| tool | wall times (s) | median (s) |", "|---|---|---|"]
    lines += [f"| {t} | {w} | {m} |" for t, w, m in rows]
    if times.get("kevaget") and times.get("axel"):
        lines += ["", f"kevaget / axel: **{times['kevaget'] / times['axel']:.2f}** (target at most 1.0)"]
    if times.get("kevaget") and times.get("aria2c"):
        lines += [f"kevaget / aria2c: **{times['kevaget'] / times['aria2c']:.2f}**"]
    return lines


def case_crash(servers, env):
    small = servers.make("small.bin", 1500000)
    large = servers.make("large.bin", 24 * MIB)
    port = servers.nginx("1m")
    rng = random.Random(20261207)
    results = {}
    for tool in ("kevaget", "aria2c"):
        if shutil.which(tool) is None and tool != "kevaget":
            continue
        exact = {"one": 0, "six": 0}
        for trial in range(TRIALS):
            kind, name, digest, longest = ("one", "small.bin", small, 1.4) if trial % 2 == 0 else ("six", "large.bin", large, 3.5)
            url = f"http://127.0.0.1:{port}/{name}"
            out = os.path.join(servers.root, f"crash-{tool}.bin")
            for leftover in (out, out + ".aria2", out + ".keva-resume"):
                if os.path.exists(leftover):
                    os.remove(leftover)
            first = subprocess.Popen(tool_command(tool, url, out, False), env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.05, longest))
            first.send_signal(signal.SIGKILL)
            first.wait()
            if os.path.exists(out):
                subprocess.run(tool_command(tool, url, out, True), env=env, capture_output=True, timeout=300)
            else:
                subprocess.run(tool_command(tool, url, out, False), env=env, capture_output=True, timeout=300)
            if os.path.exists(out) and sha256(out) == digest:
                exact[kind] += 1
        results[tool] = exact
    half = TRIALS // 2
    lines = ["## Crash and resume", "",
             f"{TRIALS} trials per tool against nginx with `limit_rate 1m;` per connection: each download killed "
             "with SIGKILL at a random moment (0.05 s up to about the time it needs), then resumed with `-c` "
             "(started afresh when nothing was written yet). Half the trials fetch 1.5 MB (one connection), half 24 MiB "
             "(kevaget: six segments; aria2c: `-x6 -s6 -k1M`).", "",
             "| tool | byte-exact, one connection | byte-exact, six connections | total |", "|---|---|---|---|"]
    for tool, exact in results.items():
        lines.append(f"| {tool} | {exact['one']} of {TRIALS - half} | {exact['six']} of {half} | "
                     f"**{exact['one'] + exact['six']} of {TRIALS}** |")
    return lines


def main():
    wanted = sys.argv[1:] or ["slow", "crash"]
    for case in wanted:
        if case not in ("slow", "crash"):
            raise SystemExit(f"resume_bench: unknown case {case} (slow, crash)")
    if not os.access(KEVAGET, os.X_OK):
        raise SystemExit(f"resume_bench: no kevaget at {KEVAGET}; build it or set KEVAGET")
    root = tempfile.mkdtemp(prefix="resume-bench-")
    servers = Servers(root)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        env = kevaget_env(root)
        report = ["# Resume benchmarks: latest results", "",
                  "Written by `bench/resume_bench.py`; each run overwrites this file.", "",
                  f"- Date: {time.strftime('%Y-%m-%d %H:%M:%S %z')}",
                  f"- Machine: {os.cpu_count()} cores, load {open('/proc/loadavg').read().split()[:3]} at the start",
                  f"- kevaget: {KEVAGET}", f"- aria2c: {(first_line(['aria2c', '--version']) or 'not found')}",
                  f"- axel: {(first_line(['axel', '--version']) or 'not found')}", f"- nginx: {(first_line(['nginx', '-v']) or 'not found')}", ""]
        if "slow" in wanted:
            report += case_slow(servers, env) + [""]
        if "crash" in wanted:
            report += case_crash(servers, env) + [""]
        with open(RESULTS, "w") as file:
            file.write("\n".join(report))
        print("\n".join(report))
    finally:
        servers.stop()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
