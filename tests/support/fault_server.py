#!/usr/bin/python3
"""An HTTP server that misbehaves on request, for tests of HTTP clients.

    fault_server.py --root FOLDER --log FILE [--port N]

It listens on 127.0.0.1 (port 0 by default: the system picks one), prints
`port N` as the first line of its output and serves until it is killed.

Files are served from FOLDER. The path of a request is a chain of fault
words, each with its arguments, followed by the file's path; words nest in any
order, for example /redirect/2/close-after-once/1000/data/file.bin.

    ignore-range            answer 200 with the whole file, whatever the Range
    bad-range               answer a range one byte later than asked (with a
                            truthful Content-Range naming that later start)
    close-after/N           close the connection after N body bytes
    close-after-once/N      the same, on the first request for this path only
    reset-after/N           reset the connection (RST) after N body bytes
    stall/N/MS              after N body bytes send nothing for MS
                            milliseconds, then the rest of the body
    stall/N/forever         after N body bytes send nothing until the client
                            goes away
    split-headers           write the status line one byte at a time and each
                            header line on its own, with pauses between writes
    chunked                 Transfer-Encoding: chunked, with chunk extensions
                            and a trailer
    no-length               no Content-Length: the body ends when the
                            connection closes
    head-405                answer HEAD with 405, GET as usual
    redirect/K              K hops of 302, Location an absolute URL
    redirect-path/K         K hops of 302, Location an absolute path (/...)
    redirect-relative/K     K hops of 302, Location a relative reference (../)
    redirect-loop           302 back to the very same path, forever
    status/CODE             answer CODE with a small HTML body (Retry-After: 1
                            for 429 and 503); the rest of the path is ignored
    get-status/CODE         the same for GET only; HEAD is answered as usual
    short-body/N            Content-Length claims N bytes more than the body
                            holds; the connection closes after the body
    part-206/N              a request without a Range gets 206 with the first
                            N bytes (the whole file when it has no more)
    pace/N                  bodies go out at N bytes a second, but a range
                            that starts at byte 0 (or no range) at N/10

Byte counts (N) count the body as sent, chunk framing included.

Connections are kept alive (HTTP/1.1, or HTTP/1.0 with Connection:
keep-alive) unless the client asks to close or the fault ends the connection.
Ranges: one range per request (a-b, a- or -n); a list of ranges gets the
whole file.

Each request is appended to the log file as it arrives, before it is answered:
`REQUEST LINE|RANGE|USER AGENT|-|-`, with `-` for a missing header. This is
the layout of the access logs the tests read from nginx and lighttpd, whose
last two fields (status, bytes) are unknown at that moment.
"""

import argparse
import http.server
import os
import posixpath
import re
import select
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse

SPLIT_PAUSE = 0.01
CHUNK_SIZE = 1000
REASONS = http.server.BaseHTTPRequestHandler.responses
# How many path segments of arguments each fault word takes.
ARGUMENT_COUNTS = {
    "ignore-range": 0, "bad-range": 0, "split-headers": 0, "chunked": 0, "no-length": 0,
    "head-405": 0, "redirect-loop": 0, "close-after": 1, "close-after-once": 1,
    "reset-after": 1, "status": 1, "get-status": 1, "short-body": 1, "part-206": 1, "pace": 1, "redirect": 1, "redirect-path": 1, "redirect-relative": 1,
    "stall": 2,
}
REDIRECT_WORDS = ("redirect", "redirect-path", "redirect-relative")


class Plan:
    """What the fault words of one request path ask for."""

    def __init__(self):
        self.ignore_range = False
        self.bad_range = False
        self.close_after = None
        self.reset_after = None
        self.stall_after = None
        self.stall_seconds = None  # None: forever
        self.split_headers = False
        self.chunked = False
        self.no_length = False
        self.head_405 = False
        self.status = None
        self.get_status = None
        self.short_body = None
        self.part_206 = None
        self.pace = None
        self.redirect = None  # (word, hops) of the first redirect word
        self.prefix_before_redirect = []
        self.redirect_loop = False
        self.prefix = []  # the words consumed so far, for redirect targets
        self.file = ""


def parse_plan(path, first_request):
    """Reads the fault words off the front of the path; the rest names the file."""
    plan = Plan()
    parts = [p for p in path.split("/") if p]
    while parts:
        word = parts[0]
        taken = ARGUMENT_COUNTS.get(word)
        if taken is None or len(parts) <= taken:
            break
        args = parts[1:1 + taken]
        if word in REDIRECT_WORDS:
            # Only the outermost redirect acts; inner ones stay in the path
            # for the requests that follow the chain.
            if plan.redirect is None:
                plan.redirect = (word, int(args[0]))
                plan.prefix_before_redirect = list(plan.prefix)
        elif word in ("close-after", "close-after-once"):
            if word == "close-after" or first_request:
                plan.close_after = int(args[0])
        elif word == "reset-after":
            plan.reset_after = int(args[0])
        elif word == "stall":
            plan.stall_after = int(args[0])
            plan.stall_seconds = None if args[1] == "forever" else int(args[1]) / 1000
        elif word == "status":
            plan.status = int(args[0])
        elif word == "get-status":
            plan.get_status = int(args[0])
        elif word == "short-body":
            plan.short_body = int(args[0])
        elif word == "part-206":
            plan.part_206 = int(args[0])
        elif word == "pace":
            plan.pace = int(args[0])
        else:
            setattr(plan, word.replace("-", "_"), True)
        plan.prefix += parts[:1 + taken]
        parts = parts[1 + taken:]
    plan.file = "/".join(parts)
    return plan


def html_page(status):
    reason = REASONS.get(status, ("Error",))[0]
    return f"<html><head><title>{status} {reason}</title></head>" \
           f"<body><h1>{status} {reason}</h1></body></html>\n".encode()


def chunked(body):
    """Chunked framing with an extension on every chunk and a trailer."""
    out = bytearray()
    for start in range(0, len(body), CHUNK_SIZE):
        piece = body[start:start + CHUNK_SIZE]
        out += b"%x;piece=%d\r\n" % (len(piece), start // CHUNK_SIZE) + piece + b"\r\n"
    out += b"0;last=yes\r\nX-Fault-Trailer: done\r\n\r\n"
    return bytes(out)


def parse_range(header, size):
    """(start, end) of a single byte range, 'unsatisfiable', or None for the whole file."""
    match = re.fullmatch(r"\s*bytes\s*=\s*(\d*)\s*-\s*(\d*)\s*", header or "")
    if not match or match.group(1) == match.group(2) == "":
        return None
    first, last = match.groups()
    if first == "":
        start, end = max(0, size - int(last)), size - 1
    else:
        start, end = int(first), min(size - 1, int(last)) if last else size - 1
    if start >= size or start > end:
        return "unsatisfiable"
    return start, end


class FaultHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "FaultServer/1.0"

    def log_message(self, *args):
        """Requests go to the request log only."""

    def do_HEAD(self):
        self.answer(with_body=False)

    def do_GET(self):
        self.answer(with_body=True)

    def answer(self, with_body):
        self.server.log_request_line(self.requestline, self.headers.get("Range"),
                                     self.headers.get("User-Agent"))
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        plan = parse_plan(path, self.server.first_request(path))
        if plan.redirect_loop:
            return self.send(302, {"Location": path}, b"", False, plan)
        if plan.redirect is not None:
            return self.redirect(path, plan)
        status = plan.status if plan.status is not None else plan.get_status if with_body else None
        if status is not None:
            headers = {"Content-Type": "text/html"}
            if status in (429, 503):
                headers["Retry-After"] = "1"
            return self.send(status, headers, html_page(status), with_body, plan)
        if plan.head_405 and not with_body:
            return self.send(405, {"Allow": "GET", "Content-Type": "text/html"},
                             html_page(405), False, plan)
        content = self.server.read_file(plan.file)
        if content is None:
            return self.send(404, {"Content-Type": "text/html"}, html_page(404), with_body, plan)
        self.send_file(content, plan, with_body)

    def redirect(self, path, plan):
        word, hops = plan.redirect
        rest = plan.prefix[len(plan.prefix_before_redirect) + 2:] + [plan.file]
        kept = plan.prefix_before_redirect + ([word, str(hops - 1)] if hops > 1 else [])
        target = "/" + "/".join(kept + rest)
        if word == "redirect":
            target = f"http://{self.headers.get('Host', '127.0.0.1')}{target}"
        elif word == "redirect-relative":
            base = posixpath.dirname(path)
            target = posixpath.relpath(target, base)
        self.send(302, {"Location": target, "Content-Type": "text/html"}, html_page(302), True, plan)

    def send_file(self, content, plan, with_body):
        size = len(content)
        wanted = None if plan.ignore_range else parse_range(self.headers.get("Range"), size)
        if wanted == "unsatisfiable":
            return self.send(416, {"Content-Range": f"bytes */{size}", "Content-Type": "text/html"},
                             html_page(416), with_body, plan)
        headers = {"Content-Type": "application/octet-stream", "Accept-Ranges": "bytes"}
        status = 200
        if plan.part_206 is not None and self.headers.get("Range") is None:
            part = content[:plan.part_206]
            headers["Content-Range"] = f"bytes 0-{len(part) - 1}/{size}"
            return self.send(206, headers, part, with_body, plan)
        if wanted is not None:
            start, end = wanted
            if plan.bad_range:
                start = min(start + 1, end)
            status = 206
            headers["Content-Range"] = f"bytes {start}-{end}/{size}"
            content = content[start:end + 1]
        self.send(status, headers, content, with_body, plan)

    def send(self, status, headers, body, with_body, plan):
        """Writes the answer, then plays the fault the plan asks for on its body."""
        if plan.chunked:
            headers["Transfer-Encoding"] = "chunked"
            headers["Trailer"] = "X-Fault-Trailer"
            body = chunked(body)
        elif plan.no_length:
            self.close_connection = True
        elif plan.short_body is not None:
            headers["Content-Length"] = str(len(body) + plan.short_body)
            self.close_connection = True
        else:
            headers["Content-Length"] = str(len(body))
        if self.close_connection:
            headers["Connection"] = "close"
        elif self.request_version == "HTTP/1.0":
            headers["Connection"] = "keep-alive"
        self.write_headers(status, headers, plan.split_headers)
        if with_body:
            self.write_body(body, plan)

    def write_headers(self, status, headers, split):
        status_line = f"HTTP/1.1 {status} {REASONS.get(status, ('Unknown',))[0]}\r\n".encode()
        lines = [f"{name}: {value}\r\n".encode() for name, value in headers.items()] + [b"\r\n"]
        if not split:
            self.wfile.write(status_line + b"".join(lines))
            return
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        for piece in [status_line[i:i + 1] for i in range(len(status_line))] + lines:
            self.wfile.write(piece)
            time.sleep(SPLIT_PAUSE)

    def write_body(self, body, plan):
        if plan.pace is not None:
            return self.write_paced(body, plan.pace)
        cuts = [n for n in (plan.close_after, plan.reset_after, plan.stall_after) if n is not None]
        cut = min(cuts + [len(body)])
        self.wfile.write(body[:cut])
        if cut == plan.reset_after:
            return self.reset()
        if cut == plan.close_after:
            self.close_connection = True
            return
        if cut == plan.stall_after:
            if not self.stall(plan.stall_seconds):
                return
            self.write_body(body[cut:], Plan())

    def write_paced(self, body, rate):
        """Sends the body at `rate` bytes a second (a tenth of it from byte 0)."""
        wanted = parse_range(self.headers.get("Range"), 1 << 62)
        if wanted is None or wanted == "unsatisfiable" or wanted[0] == 0:
            rate //= 10
        piece = max(1024, rate // 20)
        started = time.monotonic()
        for sent in range(0, len(body), piece):
            try:
                self.wfile.write(body[sent:sent + piece])
                self.wfile.flush()
            except OSError:
                self.close_connection = True
                return
            ahead = (sent + piece) / rate - (time.monotonic() - started)
            if ahead > 0:
                time.sleep(ahead)

    def stall(self, seconds):
        """Sends nothing for a while; False when the client left meanwhile (or never comes back)."""
        deadline = None if seconds is None else time.monotonic() + seconds
        while deadline is None or time.monotonic() < deadline:
            wait = 0.05 if deadline is None else max(0.0, min(0.05, deadline - time.monotonic()))
            readable, _, _ = select.select([self.connection], [], [], wait)
            if readable and not self.connection.recv(4096, socket.MSG_PEEK):
                self.close_connection = True
                return False
        return True

    def reset(self):
        self.close_connection = True
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.rfile.close()
        self.connection.close()


class FaultServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, root, log_path):
        super().__init__(("127.0.0.1", port), FaultHandler)
        self.root = os.path.realpath(root)
        self.log_path = log_path
        self.lock = threading.Lock()
        self.seen_paths = set()

    def first_request(self, path):
        with self.lock:
            first = path not in self.seen_paths
            self.seen_paths.add(path)
            return first

    def log_request_line(self, request_line, range_header, user_agent):
        line = f"{request_line}|{range_header or '-'}|{user_agent or '-'}|-|-\n"
        with self.lock, open(self.log_path, "a", encoding="utf-8") as log:
            log.write(line)

    def read_file(self, name):
        full = os.path.realpath(os.path.join(self.root, name))
        if not full.startswith(self.root + os.sep) or not os.path.isfile(full):
            return None
        with open(full, "rb") as file:
            return file.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--port", type=int, default=0)
    options = parser.parse_args()
    with FaultServer(options.port, options.root, options.log) as server:
        print(f"port {server.server_address[1]}", flush=True)
        server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
