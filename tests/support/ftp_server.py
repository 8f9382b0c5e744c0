#!/usr/bin/python3
"""An FTP server on pyftpdlib that misbehaves on request, for tests of FTP clients.

    ftp_server.py --root FOLDER --log FILE [--port N] [--listen ADDRESS]
                  [--user NAME:PASSWORD] [--pasv-address ADDRESS]
                  [--rest-reply CODE] [--multi-line] [--coalesce] [--slow-port]

It listens on 127.0.0.1, or the address --listen gives such as the IPv6
loopback ::1 (port 0 by default: the system picks one), prints
`port N` as the first line of its output and serves until it is killed.

Logins: `anonymous` with any password, and the user given by --user. A wrong
password is refused with 530 at once. Both see FOLDER as `/`, read-only.
Passive mode (PASV, EPSV) listens on a port the system picks; active mode
(PORT, EPRT) connects back to the client, and a PORT naming a closed port
gets 425.

A file is fetched with RETR; REST before it resumes at an offset. The path may
begin with a chain of fault words, each with its arguments, followed by the
file's path within FOLDER, for example RETR /no-size/stall/1000/500/file.bin.
SIZE, MDTM and CWD accept the same paths.

    rest-550                REST answers 550; RETR then sends the whole file
    rest-504                REST answers 504; RETR then sends the whole file
    no-data                 RETR answers 425 and opens no data connection
    no-size                 the 150 reply of RETR does not say "(N bytes)"
    data-first              the first 1000 bytes go out on the data connection
                            200 ms before the 150 reply
    early-226               226 is sent when half of the bytes have gone out;
                            the rest follows 200 ms later, then the data
                            connection closes
    stall/N/MS              after N bytes send nothing for MS milliseconds,
                            then the rest

REST has no path of its own: its fault words are those of the path the client
named last with SIZE, MDTM, CWD or RETR (so a client that sends SIZE before
REST, or changes into a fault folder, gets them). --rest-reply CODE answers
every REST with CODE instead, whatever the path.

Unless a fault says otherwise a transfer is: 150 with "(N bytes)" (N the size
of the whole file), the bytes from the REST offset on, the data connection
closed, 226.

Flags that change every session:

    --pasv-address ADDRESS  the address the 227 reply names (0.0.0.0, or one
                            that cannot be reached such as 10.255.255.1); the
                            data port still listens on 127.0.0.1
    --multi-line            the 220 greeting and the 230 reply come in several
                            lines, one of them indented and starting with the
                            reply's code
    --coalesce              replies go out together in one write: those to
                            commands that arrived in one read, and the 150 of
                            RETR with the 226 that ends the transfer (so use
                            files that fit in the socket buffers, a few
                            hundred kilobytes)
    --slow-port             PORT is taken up 300 ms late, so the replies to
                            the commands sent after it (TYPE I) come first,
                            as pyftpdlib does by itself now and then

Each command is appended to the log file as it arrives, before it is answered,
one line per command as the client sent it (`USER anonymous`, `TYPE I`,
`REST 500`, `RETR /file.bin`), except the password: `PASS ***`.
"""

import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

PAUSE = 0.2
DATA_FIRST_BYTES = 1000
SLOW_PORT = 0.3
# How many path segments of arguments each fault word takes.
ARGUMENT_COUNTS = {
    "rest-550": 0, "rest-504": 0, "no-data": 0, "no-size": 0, "data-first": 0,
    "early-226": 0, "stall": 2,
}
# Commands whose argument is a path that picks the fault words of a later REST.
PATH_COMMANDS = ("CWD", "XCWD", "SIZE", "MDTM", "RETR")
PARENT_COMMANDS = ("CDUP", "XCUP")
MULTI_LINE_PREFACES = {
    "220": "220-Quillspan FTP test peer.\r\n"
           " 220 this indented line does not end the reply\r\n"
           "220-The reply ends with the line that starts with its code and a space.\r\n",
    "230": "230-Welcome.\r\n"
           " 230 this indented line does not end the reply either\r\n",
}


class Plan:
    """What the fault words of one path ask for."""

    def __init__(self):
        self.rest_reply = None
        self.no_data = False
        self.no_size = False
        self.data_first = False
        self.early_226 = False
        self.stall_after = None
        self.stall_seconds = 0
        self.file = "/"


def parse_plan(path):
    """Reads the fault words off the front of a path; the rest names the file."""
    plan = Plan()
    parts = [p for p in path.split("/") if p]
    while parts:
        word = parts[0]
        taken = ARGUMENT_COUNTS.get(word)
        if taken is None or len(parts) <= taken:
            break
        if word in ("rest-550", "rest-504"):
            plan.rest_reply = int(word[5:])
        elif word == "stall":
            plan.stall_after = int(parts[1])
            plan.stall_seconds = int(parts[2]) / 1000
        else:
            setattr(plan, word.replace("-", "_"), True)
        parts = parts[1 + taken:]
    plan.file = "/" + "/".join(parts)
    return plan


class FaultFS(AbstractedFS):
    """The document root, seen through paths that may carry fault words."""

    def ftp2fs(self, ftppath):
        return super().ftp2fs(parse_plan(self.ftpnorm(ftppath)).file)

    def chdir(self, path):
        # The handler sets the working folder itself, fault words included.
        os.chdir(path)


class FaultDTPHandler(DTPHandler):
    """A data connection whose closing reply may have been sent already."""

    reply_sent = False

    def close(self):
        if self.reply_sent:
            self._resp = ()
        super().close()


class FaultHandler(FTPHandler):
    dtp_handler = FaultDTPHandler
    abstracted_fs = FaultFS
    auth_failed_timeout = 0

    def __init__(self, conn, server, ioloop=None):
        self.named_path = "/"
        self.held = None
        self.holds = 0
        self.pending_transfer = None
        self.transfer_held = False
        super().__init__(conn, server, ioloop)

    # --- the command log and the paths named

    def pre_process_command(self, line, cmd, arg):
        self.server.log_command("PASS ***" if cmd == "PASS" else line)
        if self.fs is not None and cmd in PATH_COMMANDS + PARENT_COMMANDS:
            self.named_path = self.fs.ftpnorm(".." if cmd in PARENT_COMMANDS else arg or "/")
        super().pre_process_command(line, cmd, arg)

    def ftp_PORT(self, line):
        if not self.server.slow_port:
            return super().ftp_PORT(line)
        self.ioloop.call_later(SLOW_PORT, super().ftp_PORT, line, _errback=self.handle_error)

    def ftp_CWD(self, path):
        if super().ftp_CWD(path) is not None:
            self.fs.cwd = self.named_path

    # --- replies: several lines, several in one write

    def respond(self, resp, logfun=None):
        preface = MULTI_LINE_PREFACES.get(resp[:3], "") if self.server.multi_line else ""
        super().respond(preface + resp)

    def push(self, s):
        if self.holds:
            self.held.append(s)
        else:
            super().push(s)

    def hold(self):
        if not self.holds:
            self.held = []
        self.holds += 1

    def release(self):
        self.holds -= 1
        if not self.holds and self.held:
            super().push("".join(self.held))

    def handle_read(self):
        if not self.server.coalesce:
            return super().handle_read()
        self.hold()
        try:
            super().handle_read()
        finally:
            self.release()

    # --- REST and RETR

    def ftp_REST(self, line):
        code = self.server.rest_reply or parse_plan(self.named_path).rest_reply
        if code is None:
            return super().ftp_REST(line)
        self._restart_position = 0
        self.respond("%d Restarting is not possible here." % code)

    def ftp_RETR(self, file):
        offset, self._restart_position = self._restart_position, 0
        plan = parse_plan(self.named_path)
        if plan.no_data:
            self._shutdown_connecting_dtp()
            if self.data_channel is not None:
                self.data_channel.close()
            self.respond("425 Can't open data connection.")
            return
        try:
            with open(file, "rb") as source:
                content = source.read()
        except OSError as err:
            self.respond("550 %s." % os.strerror(err.errno))
            return
        if offset > len(content):
            self.respond("554 REST position (%d) > file size (%d)." % (offset, len(content)))
            return
        name = plan.file.rsplit("/", 1)[-1]
        size = "" if plan.no_size else " (%d bytes)" % len(content)
        opening = "150 Opening BINARY mode data connection for %s%s." % (name, size)
        self.pending_transfer = self.transfer(content[offset:], plan, opening)
        if self.data_channel is not None:
            self.start_transfer()

    def _on_dtp_connection(self):
        super()._on_dtp_connection()
        if self.pending_transfer is not None:
            self.start_transfer()

    def _on_dtp_close(self):
        super()._on_dtp_close()
        if self.transfer_held:
            self.transfer_held = False
            self.release()

    def start_transfer(self):
        steps, self.pending_transfer = self.pending_transfer, None
        if self.server.coalesce:
            self.transfer_held = True
            self.hold()
        self.run(steps, self.data_channel)

    def run(self, steps, channel):
        """Plays the transfer's steps; each pause resumes it from the I/O loop."""
        if channel._closed:
            return
        pause = next(steps, None)
        if pause is not None:
            self.ioloop.call_later(pause, self.run, steps, channel, _errback=self.handle_error)

    def transfer(self, data, plan, opening):
        """The steps of one transfer; it yields the pauses between them."""
        channel = self.data_channel
        sent = 0
        if plan.data_first:
            sent = min(DATA_FIRST_BYTES, len(data))
            channel.push(data[:sent])
            yield PAUSE
        self.respond(opening)
        if plan.stall_after is not None and sent < plan.stall_after < len(data):
            channel.push(data[sent:plan.stall_after])
            sent = plan.stall_after
            yield plan.stall_seconds
        if plan.early_226:
            half = sent + (len(data) - sent) // 2
            channel.push(data[sent:half])
            sent = half
            self.respond("226 Transfer complete.")
            channel.reply_sent = True
            yield PAUSE
        if sent < len(data):
            channel.push(data[sent:])
        channel.close_when_done()


class FaultServer(FTPServer):
    def __init__(self, options):
        authorizer = DummyAuthorizer()
        authorizer.add_anonymous(options.root)
        if options.user:
            name, password = options.user.split(":", 1)
            authorizer.add_user(name, password, options.root)
        FaultHandler.authorizer = authorizer
        FaultHandler.masquerade_address = options.pasv_address
        super().__init__((options.listen, options.port), FaultHandler)
        self.log_path = options.log
        self.rest_reply = options.rest_reply
        self.multi_line = options.multi_line
        self.coalesce = options.coalesce
        self.slow_port = options.slow_port

    def log_command(self, line):
        with open(self.log_path, "a", encoding="utf-8") as log:
            log.write(line + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--listen", default="127.0.0.1")
    parser.add_argument("--user", help="NAME:PASSWORD")
    parser.add_argument("--pasv-address")
    parser.add_argument("--rest-reply", type=int)
    parser.add_argument("--multi-line", action="store_true")
    parser.add_argument("--coalesce", action="store_true")
    parser.add_argument("--slow-port", action="store_true")
    options = parser.parse_args()
    options.root = os.path.realpath(options.root)
    server = FaultServer(options)
    print(f"port {server.address[1]}", flush=True)
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    sys.exit(main())
