#!/usr/bin/python3
"""Many small files, and memory: KEVA's engine against its peers, all in one
run, each peer beside it, ratios printed.

  crawl    the generated site (bench/site_bench.py) of 300 and of 3,000 files
           in nested folders, `site_crawl crawl URL DIR 3` against
           `wget -r -l inf -np` (same restrictions as site_bench.py): wall
           time and peak RSS (`/usr/bin/time`).
  syscalls `strace -f -c` of one crawl of the 3,000-file site: fsync,
           fdatasync, openat and rename calls per fetched file (the
           program's start-up, spread over many files, counts little).
  connections
           `strace -f -c` of one crawl of the 300-file site by site_crawl
           and by wget: socket() and connect() calls per fetched file.
  urls     300 small files (1 to 40 KB) by URL: `kevaget -i LIST -j 4`
           against `wget -i LIST` and `aria2c -i LIST -j 4`; then one small
           file fetched 100 times by kevaget and by curl (the cost of a run:
           start-up and transfer).
  rss      1 GiB over http and over https (a certificate made for the run),
           saved to /dev/shm: peak RSS (`/usr/bin/time -v`) and wall time of
           kevaget (six connections), aria2c -x6 -s6 and curl.

Every download is checked by sha256 against the served bytes; a run that
fails the check is reported as failed. Results go to bench/RESULTS-many.md
with the load average at the start and the end (the machine may be shared:
the load says how much).

    bench/many_bench.py

Environment: KEVAGET (default build-rel/bin/kevaget), SITE_CRAWL (default
build-rel/bin/site_crawl), BENCH_PARTS (default "crawl syscalls connections urls rss"),
BENCH_RUNS (runs per tool for crawl and urls, default 3), BENCH_RESULTS.
Network use: 127.0.0.1 only; nginx is stopped and the temporary folders are
removed at the end.
"""

import hashlib
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchutil import first_line, start_nginx  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
BIN = os.path.join(HERE, "..", "build-rel", "bin")
KEVAGET = os.environ.get("KEVAGET", os.path.join(BIN, "kevaget"))
SITE_CRAWL = os.environ.get("SITE_CRAWL", os.path.join(BIN, "site_crawl"))
PARTS = os.environ.get("BENCH_PARTS", "crawl syscalls connections urls rss").split()
RUNS = int(os.environ.get("BENCH_RUNS", "3"))
RESULTS = os.environ.get("BENCH_RESULTS", os.path.join(HERE, "RESULTS-many.md"))
WGET_CRAWL = ["wget", "-q", "-r", "-l", "inf", "-np", "-nH", "--cut-dirs=1", "-e", "robots=off", "-R", "gif,jpeg"]
ARIA2C = ["aria2c", "--allow-overwrite=true", "--auto-file-renaming=false", "--file-allocation=none",
          "--console-log-level=warn", "--summary-interval=0"]
GIB = 1 << 30


def load():
    with open("/proc/loadavg") as file:
        return " ".join(file.read().split()[:3])


def sha256_file(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        while chunk := file.read(4 << 20):
            digest.update(chunk)
    return digest.hexdigest()


def tree(folder):
    return {os.path.relpath(os.path.join(top, name), folder): sha256_file(os.path.join(top, name))
            for top, _, names in os.walk(folder) for name in names}


def timed(command, **kwargs):
    began = time.monotonic()
    result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True, **kwargs)
    return time.monotonic() - began, result


def median(values):
    good = [v for v in values if v == v]
    return statistics.median(good) if good else float("nan")


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    return lines + ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows]


class Bench:
    def __init__(self, root):
        self.root = root
        self.servers = []
        self.sites = {}
        self.report = []
        keva = os.path.join(root, "keva")
        for name in ("registry", "runtime", "home"):
            os.makedirs(os.path.join(keva, name), mode=0o700)
        os.environ.update(KEVA_REGISTRY_DIR=os.path.join(keva, "registry"),
                          KEVA_RUNTIME_DIR=os.path.join(keva, "runtime"), KEVA_HOME=os.path.join(keva, "home"))

    def nginx(self, name, www, tls=None):
        extra = "types { text/html html htm; } default_type application/octet-stream;"
        listen = ""
        if tls:
            extra += f" ssl_certificate {tls}.pem; ssl_certificate_key {tls}.key;"
            listen = "ssl"
        process, port = start_nginx(os.path.join(self.root, name), www, http_extra=extra, listen_extra=listen)
        self.servers.append(process)
        return port

    def out(self, name):
        folder = os.path.join(self.root, "out", name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        return folder

    # ------------------------------------------------------------ crawl

    def site(self, pages, files):
        if (pages, files) not in self.sites:
            www = os.path.join(self.root, f"site{pages + files}")
            os.makedirs(www)
            port = self.nginx(f"nginx-site{pages + files}", www)
            subprocess.run([SITE_CRAWL, "generate", www, str(port), str(pages), str(files)], check=True,
                           capture_output=True)
            self.sites[(pages, files)] = f"http://127.0.0.1:{port}/site/index.html"
        return self.sites[(pages, files)]

    def crawl(self):
        rows = []
        for pages, files in ((70, 230), (700, 2300)):
            url = self.site(pages, files)
            tools = {"site_crawl (3 at a time)": lambda out: [SITE_CRAWL, "crawl", url, out, "3"],
                     "wget -r -np": lambda out: WGET_CRAWL + ["-P", out, url]}
            # wget's tree, fetched once before the timed runs, is what every run must give.
            out = self.out("crawl")
            timed(tools["wget -r -np"](out))
            reference = tree(out)
            walls = {tool: [] for tool in tools}
            peaks = {tool: [] for tool in tools}
            peak_file = os.path.join(self.root, "peak.txt")
            for run in range(RUNS):
                for tool in sorted(tools, reverse=run % 2 == 1):
                    out = self.out("crawl")
                    wall, result = timed(["/usr/bin/time", "-f", "%M", "-o", peak_file] + tools[tool](out))
                    good = result.returncode in (0, 8) and tree(out) == reference
                    walls[tool].append(wall if good else float("nan"))
                    with open(peak_file) as file:
                        peaks[tool].append(int(file.read().split()[-1]) / 1024)
            keva, wget = median(walls["site_crawl (3 at a time)"]), median(walls["wget -r -np"])
            for tool, times in walls.items():
                rows.append([f"{pages + files} ({len(reference)} fetched)", tool, " ".join(f"{t:.2f}" for t in times),
                             f"{median(times):.2f}", f"{median(times) / wget:.2f}", f"{max(peaks[tool]):.1f}"])
            print(f"crawl {pages + files}: site_crawl {keva:.2f} s, wget {wget:.2f} s, ratio {keva / wget:.2f}, "
                  f"peak RSS {max(peaks['site_crawl (3 at a time)']):.1f} MiB")
        self.report += ["## Site crawl", "", "Every run's tree compared by sha256 with wget's (nan: differs or failed); "
                        "peak RSS: the highest of the runs (`/usr/bin/time`).",
                        ""] + table(["site files", "tool", "wall s", "median s", "÷ wget", "peak RSS MiB"], rows) + [""]

    # ------------------------------------------------------------ syscalls

    def traced(self, command):
        """Runs `command` under `strace -f -c`: the calls of each system call."""
        summary = os.path.join(self.root, "strace.txt")
        subprocess.run(["strace", "-f", "-c", "-o", summary] + command, capture_output=True)
        counts = {}
        with open(summary) as file:
            for line in file:
                fields = line.split()
                if len(fields) >= 5 and fields[3].isdigit():
                    counts[fields[-1]] = int(fields[3])
        return counts

    def syscalls(self):
        url = self.site(700, 2300)
        out = self.out("strace")
        counts = self.traced([SITE_CRAWL, "crawl", url, out, "3"])
        fetched = len(tree(out))
        rows = [[call, counts.get(call, 0), f"{counts.get(call, 0) / fetched:.2f}"]
                for call in ("fsync", "fdatasync", "openat", "rename", "renameat2")]
        print("per fetched file: " + ", ".join(f"{row[0]} {row[2]}" for row in rows))
        self.report += ["## System calls of a crawl (3,000-file site)", "",
                        f"`strace -f -c site_crawl crawl URL DIR 3`: {fetched} files fetched; the whole program "
                        "(start-up and the crawl's own files included).", ""] + table(
                            ["call", "calls", "per fetched file"], rows) + [""]

    # ------------------------------------------------------------ connections

    def connections(self):
        url = self.site(70, 230)
        rows = []
        for tool, command in (("site_crawl (3 at a time)", lambda out: [SITE_CRAWL, "crawl", url, out, "3"]),
                              ("wget -r -np", lambda out: WGET_CRAWL + ["-P", out, url])):
            out = self.out("connections")
            counts = self.traced(command(out))
            sockets, connects = counts.get("socket", 0), counts.get("connect", 0)
            fetched = len(tree(out))
            rows.append([tool, fetched, sockets, f"{sockets / fetched:.2f}", connects, f"{connects / fetched:.2f}"])
            print(f"{tool}: {sockets} sockets, {connects} connects for {fetched} files")
        self.report += ["## Connections of a crawl (300-file site)", "",
                        "`strace -f -c`: the calls of socket() (every socket of the program, a few of them not "
                        "to the server) and of connect() (Qt calls it twice for a connection: the start, and "
                        "the check once it is made).", ""] + table(
                            ["tool", "files fetched", "socket calls", "per file", "connect calls", "per file"],
                            rows) + [""]

    # ------------------------------------------------------------ urls

    def urls(self):
        www = os.path.join(self.root, "many")
        os.makedirs(www)
        served = {}
        for i in range(300):
            data = os.urandom(1000 + (i * 7919) % 39000)
            name = f"f{i:03}.bin"
            with open(os.path.join(www, name), "wb") as file:
                file.write(data)
            served[name] = hashlib.sha256(data).hexdigest()
        port = self.nginx("nginx-many", www)
        urls = [f"http://127.0.0.1:{port}/{name}" for name in served]
        listing = os.path.join(self.root, "urls.txt")
        with open(listing, "w") as file:
            file.write("\n".join(urls) + "\n")

        tools = {"kevaget -i -j 4": lambda out: subprocess.run([KEVAGET, "-i", listing, "-j", "4"], cwd=out,
                                                              capture_output=True),
                 "wget -i": lambda out: subprocess.run(["wget", "-q", "-i", listing, "-P", out], capture_output=True),
                 "aria2c -i -j 4": lambda out: subprocess.run(ARIA2C + ["-i", listing, "-j", "4", "-d", out],
                                                             capture_output=True)}
        walls = {tool: [] for tool in tools}
        for run in range(RUNS):
            for tool in sorted(tools, reverse=run % 2 == 1):
                out = self.out("urls")
                began = time.monotonic()
                tools[tool](out)
                wall = time.monotonic() - began
                walls[tool].append(wall if tree(out) == served else float("nan"))
        keva = median(walls["kevaget -i -j 4"])
        rows = [[tool, " ".join(f"{t:.2f}" for t in times), f"{median(times):.2f}",
                 f"{keva / median(times):.2f}"] for tool, times in walls.items()]
        print("300 URLs: " + ", ".join(f"{row[0]} {row[2]} s" for row in rows))

        # One small file, 100 times: what a run costs.
        url, name = urls[0], "f000.bin"
        per_run = {}
        for tool in ("kevaget", "curl"):
            out = self.out("once")
            target = os.path.join(out, name)
            command = [KEVAGET, "-f", "-o", target, url] if tool == "kevaget" else ["curl", "-s", "-o", target, url]
            times = []
            for _ in range(100):
                wall, result = timed(command)
                good = result.returncode == 0 and sha256_file(target) == served[name]
                times.append(wall if good else float("nan"))
            per_run[tool] = times
        once = [[tool, f"{median(t) * 1000:.1f}", f"{statistics.mean(t) * 1000:.1f}",
                 f"{median(t) / median(per_run['curl']):.2f}"] for tool, t in per_run.items()]
        print("one small file: " + ", ".join(f"{row[0]} {row[1]} ms" for row in once))
        self.report += ["## 300 small files by URL", "",
                        "Files of 1 to 40 KB from nginx; every file compared by sha256 (nan: a file missing "
                        "or different).", ""] + table(["tool", "wall s", "median s", "kevaget ÷ tool"], rows) + [
            "", "### One small file, 100 runs", ""] + table(
            ["tool", "median ms a run", "mean ms a run", "÷ curl"], once) + [""]

    # ------------------------------------------------------------ rss

    def rss(self):
        www = os.path.join(self.root, "big")
        os.makedirs(www)
        digest = hashlib.sha256()
        with open(os.path.join(www, "big.bin"), "wb") as file:
            for _ in range(GIB // (16 << 20)):
                block = os.urandom(16 << 20)
                digest.update(block)
                file.write(block)
        served = digest.hexdigest()
        cert = os.path.join(self.root, "server")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-keyout", cert + ".key", "-out", cert + ".pem", "-days", "2", "-subj",
                        "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"], check=True, capture_output=True)
        shm = tempfile.mkdtemp(prefix="many-bench-", dir="/dev/shm")
        rows = []
        try:
            for scheme, port in (("http", self.nginx("nginx-big", www)),
                                 ("https", self.nginx("nginx-big-tls", www, tls=cert))):
                url = f"{scheme}://127.0.0.1:{port}/big.bin"
                target = os.path.join(shm, "big.bin")
                tls = scheme == "https"
                commands = {
                    "kevaget": [KEVAGET] + (["--ca-certificate", cert + ".pem"] if tls else []) + [
                        "-f", "-o", target, url],
                    "aria2c -x6 -s6": ARIA2C + ([f"--ca-certificate={cert}.pem"] if tls else []) + [
                        "-x6", "-s6", "-d", shm, "-o", "big.bin", url],
                    "curl": ["curl", "-s"] + (["--cacert", cert + ".pem"] if tls else []) + ["-o", target, url],
                }
                for tool, command in commands.items():
                    wall, result = timed(["/usr/bin/time", "-v"] + command)
                    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr)
                    good = result.returncode == 0 and sha256_file(target) == served
                    os.remove(target) if os.path.exists(target) else None
                    mib = int(peak.group(1)) / 1024 if peak else float("nan")
                    rows.append([scheme, tool, f"{mib:.1f}" if good else "failed", f"{wall:.2f}"])
                    print(f"1 GiB {scheme}: {tool} peak RSS {mib:.1f} MiB, {wall:.2f} s, {'ok' if good else 'FAILED'}")
        finally:
            shutil.rmtree(shm, ignore_errors=True)
        self.report += ["## 1 GiB: peak memory", "",
                        "Saved to /dev/shm; `/usr/bin/time -v`'s maximum resident set size; one run each; "
                        "sha256 checked.", ""] + table(["scheme", "tool", "peak RSS MiB", "wall s"], rows) + [""]


def main():
    for tool in ("nginx", "wget", "curl", "aria2c", "strace", "openssl"):
        if not shutil.which(tool):
            raise SystemExit(f"many_bench: {tool} is not installed")
    for program in (KEVAGET, SITE_CRAWL):
        if not os.access(program, os.X_OK):
            raise SystemExit(f"many_bench: no {program}; build build-rel (RelWithDebInfo) or set KEVAGET/SITE_CRAWL")
    root = tempfile.mkdtemp(prefix="many-bench-")
    os.chmod(root, 0o755)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    bench = Bench(root)
    load_start = load()
    try:
        for part in PARTS:
            getattr(bench, part)()
    finally:
        for server in bench.servers:
            server.terminate()
            server.wait(5)
        shutil.rmtree(root, ignore_errors=True)
    head = ["# Many small files, and memory: latest results", "",
            "Written by `bench/many_bench.py`; each run overwrites this file.", "",
            f"- Date: {time.strftime('%Y-%m-%d %H:%M:%S %z')}",
            f"- Machine: {os.cpu_count()} cores, shared with other builds: load average {load_start} at the "
            f"start, {load()} at the end",
            f"- kevaget: {os.path.abspath(KEVAGET)}; site_crawl: {os.path.abspath(SITE_CRAWL)}",
            f"- Peers: {first_line(['wget', '--version'])}; {first_line(['curl', '--version'])}; "
            f"{first_line(['aria2c', '--version'])}; {first_line(['nginx', '-v'])}",
            f"- Runs per tool: {RUNS} (crawl, urls), alternating order; medians over good runs", ""]
    with open(RESULTS, "w") as file:
        file.write("\n".join(head + bench.report))
    print(f"written to {RESULTS}")


if __name__ == "__main__":
    main()
