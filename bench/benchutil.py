#!/usr/bin/env python3
"""Timing, statistics and report helpers for bench/http_bench.sh.

Standard library only. Subcommands:

  port
      Print a free TCP port on 127.0.0.1.

  port-range N
      Print "FIRST LAST": N consecutive TCP ports, free on 127.0.0.1 and
      below the kernel's ephemeral port range (for vsftpd's passive ports).

  sha256 FILE
      Print the sha256 of FILE in hex (OpenSSL's code through hashlib: several
      times faster than sha256sum on CPUs with SHA instructions).

  run TIMEOUT LOG -- COMMAND...
      Run COMMAND (stdin from /dev/null, stdout and stderr to LOG) in its own
      process group and print "WALL CPU RC": the wall time in seconds, the
      user+sys CPU time of the command (and of any children it waited for) in
      seconds, and its exit status. RC is "timeout" when the command ran
      longer than TIMEOUT seconds and was killed. SIGINT, SIGTERM and SIGHUP
      are passed on to the command's process group.

  report RESULTS TOOLS SETTINGS MARKDOWN
      Read the measurements (RESULTS, tab-separated: case tool run wall cpu
      status requests [mode]), the tool list (TOOLS, tab-separated: tool state note command)
      and the settings (SETTINGS, tab-separated: key value), print the tables
      and write them, with a description of this machine, to MARKDOWN.
"""

import datetime
import hashlib
import os
import platform
import random
import re
import signal
import socket
import statistics
import subprocess
import sys
import threading
import time

REFERENCE_TOOL = "kevaget"

CASE_TITLES = {
    "a": "Case (a): large file, unthrottled, saved to /dev/shm",
    "b": "Case (b): throttled location (limit_rate, per connection)",
    "c": "Case (c): large file over FTP (vsftpd, passive mode), saved to /dev/shm",
}

CASES = ("a", "b", "c")

# Targets for kevaget: (case, measure, peer, limit). kevaget's median must be
# at most limit times the peer's median.
TARGETS = [
    ("a", "cpu", "aria2c", 1.0),
    ("a", "wall", "curl", 1.1),
    ("b", "wall", "aria2c", 1.05),
]

MEASURE_NAMES = {"wall": "wall time", "cpu": "CPU time"}


# ---------------------------------------------------------------- port


def free_port():
    """A loopback port that is free now (the other bench scripts import this)."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_nginx(folder, www, http_extra="", location="", listen_extra=""):
    """nginx in the foreground on a free loopback port, serving `www`, its
    configuration and temporary files in `folder` (made here); `http_extra`
    goes into the http block, `location` into the server block, `listen_extra`
    after the address ("ssl"). Returns the process and the port once nginx
    answers (the other bench scripts import this)."""
    port = free_port()
    os.makedirs(folder)
    user = "user root;\n" if os.geteuid() == 0 else ""
    conf = os.path.join(folder, "nginx.conf")
    with open(conf, "w") as file:
        file.write(f"""{user}worker_processes 1; daemon off; pid {folder}/nginx.pid; error_log {folder}/error.log;
events {{ worker_connections 1024; }}
http {{ access_log off; sendfile on; {http_extra}
  client_body_temp_path {folder}/b; proxy_temp_path {folder}/p; fastcgi_temp_path {folder}/f;
  uwsgi_temp_path {folder}/u; scgi_temp_path {folder}/s;
  server {{ listen 127.0.0.1:{port} {listen_extra}; root {www}; {location} }} }}
""")
    process = subprocess.Popen(["nginx", "-c", conf, "-p", folder], stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), 0.1).close()
            return process, port
        except OSError:
            time.sleep(0.05)
    process.terminate()
    raise SystemExit(f"nginx did not start on port {port} (see {folder}/error.log)")


def cmd_port(_args):
    print(free_port())
    return 0


def ephemeral_low():
    try:
        with open("/proc/sys/net/ipv4/ip_local_port_range", encoding="utf-8") as f:
            return int(f.read().split()[0])
    except (OSError, ValueError, IndexError):
        return 32768


def cmd_port_range(args):
    if len(args) != 1 or not args[0].isdigit() or int(args[0]) < 1:
        print("usage: benchutil.py port-range N", file=sys.stderr)
        return 2
    count = int(args[0])
    high = min(ephemeral_low(), 65536) - count
    low = 10000
    if high <= low:
        low, high = 1024, max(1025, high)
    rng = random.Random()
    for _attempt in range(200):
        first = rng.randrange(low, high)
        sockets = []
        try:
            for port in range(first, first + count):
                s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                sockets.append(s)
                s.bind(("127.0.0.1", port))
        except OSError:
            continue
        finally:
            for s in sockets:
                s.close()
        print(first, first + count - 1)
        return 0
    print("no free range of %d ports found" % count, file=sys.stderr)
    return 1


# ---------------------------------------------------------------- sha256


def cmd_sha256(args):
    if len(args) != 1:
        print("usage: benchutil.py sha256 FILE", file=sys.stderr)
        return 2
    digest = hashlib.sha256()
    buffer = bytearray(4 << 20)
    view = memoryview(buffer)
    with open(args[0], "rb", buffering=0) as f:
        while True:
            n = f.readinto(buffer)
            if not n:
                break
            digest.update(view[:n])
    print(digest.hexdigest())
    return 0


# ---------------------------------------------------------------- run


class Interrupted(Exception):
    def __init__(self, signum):
        super().__init__(signum)
        self.signum = signum


def cmd_run(args):
    if len(args) < 4 or args[2] != "--":
        print("usage: benchutil.py run TIMEOUT LOG -- COMMAND...", file=sys.stderr)
        return 2
    timeout = float(args[0])
    log_path = args[1]
    command = args[3:]

    def on_signal(signum, _frame):
        raise Interrupted(signum)

    for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, on_signal)

    timed_out = threading.Event()
    with open(log_path, "wb") as log:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log,
                                 stderr=subprocess.STDOUT, start_new_session=True)

        def kill_group(signum):
            try:
                os.killpg(child.pid, signum)
            except ProcessLookupError:
                pass

        def on_timeout():
            timed_out.set()
            kill_group(signal.SIGKILL)

        timer = threading.Timer(timeout, on_timeout)
        timer.daemon = True
        timer.start()
        try:
            _pid, status, usage = os.wait4(child.pid, 0)
        except Interrupted as interrupted:
            timer.cancel()
            kill_group(signal.SIGTERM)
            deadline = time.monotonic() + 3
            while time.monotonic() < deadline:
                if os.waitpid(child.pid, os.WNOHANG)[0]:
                    break
                time.sleep(0.05)
            else:
                kill_group(signal.SIGKILL)
                os.waitpid(child.pid, 0)
            return 128 + interrupted.signum
        wall = time.perf_counter() - start
        timer.cancel()
        # Whatever the command left running in its group goes too.
        kill_group(signal.SIGKILL)

    child.returncode = 0  # reaped above; keep Popen from waiting again
    cpu = usage.ru_utime + usage.ru_stime
    if timed_out.is_set():
        rc = "timeout"
    elif os.WIFEXITED(status):
        rc = str(os.WEXITSTATUS(status))
    else:
        rc = "signal%d" % os.WTERMSIG(status)
    print("%.3f %.3f %s" % (wall, cpu, rc))
    return 0


# ---------------------------------------------------------------- report


def read_tsv(path, columns):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            fields = line.split("\t")
            fields += [""] * (columns - len(fields))
            rows.append(fields[:columns])
    return rows


def first_line(command):
    try:
        out = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True,
                             text=True, timeout=10)
    except (OSError, subprocess.SubprocessError):
        return ""
    text = (out.stdout or "") + (out.stderr or "")
    for line in text.splitlines():
        if line.strip():
            # "GNU Wget 1.21.3 built on linux-gnu." and curl's long list of
            # libraries: the name and version are enough.
            line = re.sub(r"\s+built on .*", "", line.strip())
            return " ".join(line.split()[:4])
    return ""


def finish_runs_report(path, report, walls, ratio, all_good, mismatches):
    """Ends a report of runs: a row per tool (its wall times, their median and
    ratio(median)), then all_good or the runs that went wrong; writes it to
    path and prints it."""
    for tool, times in walls.items():
        median = statistics.median(times)
        report.append(f"| {tool} | {' '.join(f'{t:.2f}' for t in times)} | {median:.2f} | {ratio(median):.2f} |")
    report += ["", all_good if not mismatches else "Runs that went wrong:"]
    report += [f"- {line}" for line in mismatches]
    with open(path, "w", encoding="utf-8") as file:
        file.write("\n".join(report) + "\n")
    print("\n".join(report))


def cpu_model():
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def memory_total():
    try:
        with open("/proc/meminfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("MemTotal:"):
                    kib = int(line.split()[1])
                    return "%.1f GiB" % (kib / 1024 / 1024)
    except (OSError, ValueError, IndexError):
        pass
    return "unknown"


def os_name():
    try:
        with open("/etc/os-release", encoding="utf-8") as f:
            for line in f:
                if line.startswith("PRETTY_NAME="):
                    return line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    return "unknown"


VERSION_COMMANDS = {
    "curl": ["curl", "--version"],
    "wget": ["wget", "--version"],
    "aria2c": ["aria2c", "--version"],
    "axel": ["axel", "--version"],
}


def machine_rows(tools, settings):
    uname = os.uname()
    rows = [
        ("Date", datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M:%S %z")),
        ("Host OS", os_name()),
        ("Kernel", "%s %s %s" % (uname.sysname, uname.release, uname.machine)),
        ("CPU", cpu_model()),
        ("nproc", str(os.cpu_count() if not hasattr(os, "sched_getaffinity")
                      else len(os.sched_getaffinity(0)))),
        ("Memory", memory_total()),
        ("nginx", first_line(["nginx", "-v"]) or "not found"),
    ]
    try:
        with open("/proc/loadavg", encoding="utf-8") as f:
            load_end = " ".join(f.read().split()[:3])
    except OSError:
        load_end = "unknown"
    rows.append(("Load average (1, 5, 15 min)", "%s at the start, %s at the end"
                 % (settings.get("load_start") or "unknown", load_end)))
    if settings.get("vsftpd_version"):
        rows.append(("vsftpd", settings["vsftpd_version"]))
    for tool, state, note, _command in tools:
        if tool == REFERENCE_TOOL:
            version = note if state == "skipped" else settings.get("kevaget_version", "")
        elif state == "skipped":
            version = note
        else:
            version = first_line(VERSION_COMMANDS.get(tool, [tool, "--version"]))
        rows.append((tool, version or "unknown"))
    return rows


def fmt_seconds(value):
    return "—" if value is None else "%.2f" % value


def fmt_ratio(value):
    return "—" if value is None else "%.2f×" % value


def markdown_table(header, rows):
    widths = [len(h) for h in header]
    for row in rows:
        for i, cell in enumerate(row):
            widths[i] = max(widths[i], len(cell))
    lines = ["| " + " | ".join(h.ljust(widths[i]) for i, h in enumerate(header)) + " |",
             "|" + "|".join("-" * (w + 2) for w in widths) + "|"]
    for row in rows:
        lines.append("| " + " | ".join(c.ljust(widths[i]) for i, c in enumerate(row)) + " |")
    return "\n".join(lines)


def summarize(results, tools):
    """{case: {tool: {"runs", "ok", "wall", "cpu"}}} with medians over good runs."""
    summary = {}
    for case, tool, _run, wall, cpu, status, requests, mode in results:
        entry = summary.setdefault(case, {}).setdefault(
            tool, {"runs": 0, "ok": 0, "walls": [], "cpus": [], "requests": [], "failures": [],
                   "modes": set()})
        entry["runs"] += 1
        if mode:
            entry["modes"].add(mode)
        if status == "ok":
            entry["ok"] += 1
            entry["walls"].append(float(wall))
            entry["cpus"].append(float(cpu))
            if requests:
                entry["requests"].append(int(requests))
        else:
            entry["failures"].append(status)
    for case in summary.values():
        for entry in case.values():
            entry["wall"] = statistics.median(entry["walls"]) if entry["walls"] else None
            entry["cpu"] = statistics.median(entry["cpus"]) if entry["cpus"] else None
            entry["request_count"] = (statistics.median(entry["requests"])
                                      if entry["requests"] else None)
    return summary


def ratio(a, b):
    if a is None or b is None or b <= 0:
        return None
    return a / b


def case_table(case, summary, tools):
    entries = summary.get(case, {})
    ref = entries.get(REFERENCE_TOOL)
    complete_ref = ref if ref and ref["ok"] == ref["runs"] else None
    rows = []
    for tool, state, note, _command in tools:
        if state == "skipped":
            rows.append([tool, "skipped", "—", "—", "—", "—", "—"])
            continue
        entry = entries.get(tool)
        if entry is None:
            continue
        ok = "%d/%d" % (entry["ok"], entry["runs"])
        if entry["failures"]:
            ok += " (" + ", ".join(sorted(set(entry["failures"]))) + ")"
        if tool == REFERENCE_TOOL:
            wall_ratio = cpu_ratio = "—"
        else:
            ref_wall = complete_ref["wall"] if complete_ref else None
            ref_cpu = complete_ref["cpu"] if complete_ref else None
            wall_ratio = fmt_ratio(ratio(ref_wall, entry["wall"]))
            cpu_ratio = fmt_ratio(ratio(ref_cpu, entry["cpu"]))
        requests = entry["request_count"]
        row = [tool, ok, fmt_seconds(entry["wall"]), fmt_seconds(entry["cpu"]),
               wall_ratio, cpu_ratio, "—" if requests is None else "%g" % requests]
        if case == "c":
            row.append(", ".join(sorted(entry["modes"])) or "—")
        rows.append(row)
    header = ["tool", "good runs", "median wall s", "median CPU s",
              "kevaget ÷ tool (wall)", "kevaget ÷ tool (CPU)", "requests"]
    if case == "c":
        # vsftpd logs commands, not requests: RETR commands per download,
        # and the commands that opened the data connections.
        header[-1] = "RETR"
        header.append("data connection")
    return markdown_table(header, rows)


def targets_table(summary, tools, cases):
    states = {tool: (state, note) for tool, state, note, _command in tools}
    rows = []
    for case, measure, peer, limit in TARGETS:
        if case not in cases:
            continue
        what = "kevaget %s ≤ %s × %s" % (MEASURE_NAMES[measure],
                                          ("%g" % limit) if limit != 1.0 else "1", peer)
        entries = summary.get(case, {})
        ref = entries.get(REFERENCE_TOOL)
        other = entries.get(peer)
        result = None
        value = None
        if states.get(REFERENCE_TOOL, ("skipped", ""))[0] == "skipped":
            result = "not measured (kevaget skipped)"
        elif states.get(peer, ("skipped", ""))[0] == "skipped":
            result = "not measured (%s skipped)" % peer
        elif ref is None or other is None:
            result = "not measured (case not run)"
        elif ref["ok"] < ref["runs"]:
            result = "NOT MET (kevaget failed %d of %d runs)" % (ref["runs"] - ref["ok"], ref["runs"])
        elif other[measure] is None:
            result = "not measured (%s failed every run)" % peer
        else:
            value = ratio(ref[measure], other[measure])
            if value is None:
                result = "not measured (%s median is 0)" % peer
            else:
                result = "met" if value <= limit + 1e-9 else "NOT MET"
        rows.append(["(%s)" % case, what,
                     fmt_seconds(ref[measure]) if ref else "—",
                     fmt_seconds(other[measure]) if other else "—",
                     fmt_ratio(value), result])
    if not rows:
        return "No target for the cases run."
    header = ["case", "target", "kevaget s", "peer s", "ratio", "result"]
    return markdown_table(header, rows)


def cmd_report(args):
    if len(args) != 4:
        print("usage: benchutil.py report RESULTS TOOLS SETTINGS MARKDOWN", file=sys.stderr)
        return 2
    results_path, tools_path, settings_path, markdown_path = args
    results = read_tsv(results_path, 8)
    tools = read_tsv(tools_path, 4)
    settings = dict((k, v) for k, v in read_tsv(settings_path, 2))
    summary = summarize(results, tools)

    cases = [c for c in CASES if c in settings.get("cases", "a b").split()]
    sections = []
    for case in cases:
        detail = settings.get("case_%s_detail" % case, "")
        sections.append("### %s\n\n%s\n\n%s" % (CASE_TITLES[case], detail, case_table(case, summary, tools)))
    targets = targets_table(summary, tools, cases)
    if "c" in cases:
        targets += "\n\nCase (c) has no target; its table gives kevaget's ratios to curl and wget."
    skipped = ["- %s: %s" % (tool, note) for tool, state, note, _c in tools if state == "skipped"]
    if settings.get("ftp_skipped"):
        skipped.append("- case (c): %s" % settings["ftp_skipped"])

    # Terminal output: the tables only.
    print()
    for section in sections:
        print(section)
        print()
    print("### Targets for kevaget\n")
    print(targets)
    if skipped:
        print("\nSkipped:\n" + "\n".join(skipped))
    print()

    machine = markdown_table(["item", "value"], [[k, v] for k, v in machine_rows(tools, settings)])
    commands = markdown_table(["tool", "command"],
                              [[t, "`%s`" % c if c else "—"] for t, state, _n, c in tools])
    runs_text = "; ".join("case (%s): %s run(s) per tool" % (c, settings.get("runs_" + c, "?"))
                          for c in cases)
    runs = ("%s. Runs go round-robin "
            "over the tools; each download is checked with sha256 against the served file and "
            "deleted before the next run. Medians are over the good runs; a ratio below 1 "
            "means kevaget took less; `requests` is the median number of requests nginx "
            "logged per download (parallel connections show up there); in case (c), `RETR` is "
            "the median number of RETR commands vsftpd logged per download and `data connection` "
            "the commands that opened the data connections (EPSV and PASV: passive mode). "
            "Ratios involving kevaget are only given when every "
            "kevaget run was good.") % (runs_text[:1].upper() + runs_text[1:])

    servers = ["- nginx: %s" % settings.get("nginx_detail", "")] if {"a", "b"} & set(cases) else []
    if "c" in cases:
        servers.append("- vsftpd: %s" % settings.get("vsftpd_detail", ""))
    text = ["# Download benchmark (HTTP and FTP): latest results", "",
            "Written by `bench/http_bench.sh`; each run overwrites this file. "
            "See `bench/README.md` for what is measured.", "",
            "## Machine", "", machine, "",
            "## Settings", "", runs, "",
            *servers,
            "- kevaget: %s" % settings.get("kevaget_detail", ""), "",
            commands, "",
            "## Results", ""]
    for section in sections:
        text += [section, ""]
    text += ["### Targets for kevaget", "", targets, ""]
    if skipped:
        text += ["### Skipped", ""] + skipped + [""]
    tmp = markdown_path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write("\n".join(text))
    os.replace(tmp, markdown_path)
    return 0


def main(argv):
    commands = {"port": cmd_port, "port-range": cmd_port_range, "sha256": cmd_sha256,
                "run": cmd_run, "report": cmd_report}
    if len(argv) < 2 or argv[1] not in commands:
        print(__doc__, file=sys.stderr)
        return 2
    return commands[argv[1]](argv[2:])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
