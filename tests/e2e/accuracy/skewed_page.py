#!/usr/bin/env python3
"""A loopback time page whose clock runs a fixed skew ahead of this machine's, for measuring how
right a synchronization sets a clock without setting any: the page states "HH:MM:SS UTC" of
now + skew (with "msec=" to the millisecond unless --whole), and its Date header states the same
second. Connections are kept alive. Each request is counted in --count (rewritten per request),
and with --delay-ms the answer leaves that long after the page's time was read; --holds gets a
line per request with the microseconds from reading the time to the answer's leaving, and
--connections the number of connections taken so far. With --silent it reads each request and
never answers.

    skewed_page.py --skew 30.42 [--whole] [--delay-ms 15] [--silent] --port-file F --count F
                   [--holds F] [--connections F]
"""
import argparse
import http.server
import os
import socket
import threading
import time
from email.utils import formatdate

parser = argparse.ArgumentParser()
parser.add_argument("--skew", type=float, required=True)
parser.add_argument("--whole", action="store_true")
parser.add_argument("--delay-ms", type=float, default=0)
parser.add_argument("--silent", action="store_true")
parser.add_argument("--port-file", required=True)
parser.add_argument("--count", required=True)
parser.add_argument("--holds")
parser.add_argument("--connections")
args = parser.parse_args()

lock = threading.Lock()
count = 0
connections = 0


def counted(hold):
    global count
    with lock:
        count += 1
        with open(args.count, "w") as f:
            f.write(f"{count}\n")
        if args.holds:
            with open(args.holds, "a") as f:
                f.write(f"{round(hold * 1e6)}\n")


class Page(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def setup(self):
        global connections
        super().setup()
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        with lock:
            connections += 1
            if args.connections:
                with open(args.connections, "w") as f:
                    f.write(f"{connections}\n")

    def log_message(self, *_):
        pass

    def answer(self, with_body):
        read = time.time()
        now = read + args.skew
        ms = int(now * 1000)
        stated = time.strftime("%H:%M:%S", time.gmtime(ms // 1000))
        body = f"<html><head><title>Time</title></head><body><p>The skewed test page: {stated} UTC"
        if not args.whole:
            body += f" msec={ms // 1000}.{ms % 1000:03d}"
        body += "</p>" + " " * 100 + "</body></html>\n"
        data = body.encode()
        head = (
            "HTTP/1.1 200 OK\r\n"
            f"Date: {formatdate(ms // 1000, usegmt=True)}\r\n"
            "Content-Type: text/html\r\n"
            "Cache-Control: no-store\r\n"
            f"Content-Length: {len(data)}\r\n\r\n"
        ).encode()
        if args.delay_ms:
            time.sleep(args.delay_ms / 1000)
        # One write: no small second segment for Nagle and delayed acknowledgements to hold.
        self.wfile.write(head + (data if with_body else b""))
        counted(time.time() - read)

    def do_GET(self):
        if args.silent:
            counted(0)
            threading.Event().wait()  # until the server ends
        self.answer(True)

    def do_HEAD(self):
        self.answer(False)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Page)
server.daemon_threads = True
with open(args.port_file + ".part", "w") as f:
    f.write(f"{server.server_address[1]}\n")
os.replace(args.port_file + ".part", args.port_file)
server.serve_forever()
