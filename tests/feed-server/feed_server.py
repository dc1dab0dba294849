#!/usr/bin/env python3
"""An HTTPS server of calendar feeds for the tests, on 127.0.0.1 only.

    feed_server.py --dir DIR [--port N]

DIR/ca.pem, the test certificate authority, and DIR/server.pem with its key are made
with the openssl tool when missing (the authority lives only in DIR: the tests trust it
for their own run, never the machine). The server writes the port it listens on to
DIR/port once it listens, and one line per request to DIR/requests.log:
"GET /path if-none-match=... if-modified-since=... accept-encoding=...".

Routes:
  /cal.ics        200, ETag and Last-Modified of the current version; 304 when
                  If-None-Match names that ETag (or If-Modified-Since its date)
  /bump           makes a new version of /cal.ics (new body, new ETag)
  /missing.ics    404
  /slow.ics       answers after DIR/slow-seconds (default 30) seconds
  /loop/N         302 to /loop/N+1, for ever
  /moved.ics      302 to /cal.ics
  /huge.ics       200 with a 30 MB calendar
  /gzip.ics       200, the calendar gzip-compressed (Content-Encoding: gzip)
  /bomb.ics       200, 30 MB of calendar compressed with gzip to a few dozen kB
  /html           200 with an HTML page (a login page answering for a calendar)
  /on/YYYYMMDD.ics  200, one event on that day from 10:00 to 11:00 in the reader's
                  local time ("Feed review YYYYMMDD", UID feed-YYYYMMDD@orvanta.test), so
                  a test can ask for a day of the week it shows
"""
import argparse
import gzip
import http.server
import os
import ssl
import subprocess
import sys
import threading
import time

LAST_MODIFIED = "Wed, 09 Dec 2026 08:00:00 GMT"


def calendar(version):
    return (
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvanta tests//feed server//EN\r\n"
        "BEGIN:VEVENT\r\nUID:feed-%d@orvanta.test\r\nDTSTAMP:20261209T080000Z\r\n"
        "DTSTART:20261210T090000Z\r\nDTEND:20261210T100000Z\r\nSUMMARY:Feed version %d\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n" % (version, version)
    ).encode()


def day_calendar(day):
    return (
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvanta tests//feed server//EN\r\n"
        "BEGIN:VEVENT\r\nUID:feed-%s@orvanta.test\r\nDTSTAMP:20261209T080000Z\r\n"
        "DTSTART:%sT100000\r\nDTEND:%sT110000\r\nSUMMARY:Feed review %s\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n" % (day, day, day, day)
    ).encode()


def big_calendar(size):
    head = b"BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvanta tests//huge//EN\r\n"
    filler = b"X-FILLER:" + b"x" * 60 + b"\r\n"
    tail = b"END:VCALENDAR\r\n"
    count = (size - len(head) - len(tail)) // len(filler) + 1
    return head + filler * count + tail


def make_ca(folder):
    if os.path.exists(os.path.join(folder, "server.pem")):
        return
    def run(*args):
        subprocess.run(["openssl", *args], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
        "-days", "2", "-subj", "/CN=Orvanta Test CA",
        "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    # The address is named twice: as an IP address (what TLS clients compare an address
    # with) and as a DNS name, because Wine 8's crypt32 compares a server name only with
    # the certificate's DNS names and so refuses IP:127.0.0.1 alone (its SSL policy
    # answers CERT_E_CN_NO_MATCH, which WinHTTP reports as error 12157).
    with open(os.path.join(folder, "server.ext"), "w") as ext:
        ext.write("subjectAltName=IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost\n"
                  "basicConstraints=CA:FALSE\n"
                  "keyUsage=critical,digitalSignature,keyEncipherment\n"
                  "extendedKeyUsage=serverAuth\n")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr",
        "-subj", "/CN=127.0.0.1")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
        "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext")


class State:
    version = 1
    lock = threading.Lock()
    huge = None
    bomb = None


def handler_for(folder):
    log_path = os.path.join(folder, "requests.log")

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def send_body(self, status, body, headers=()):
            self.send_response(status)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if self.command != "HEAD":
                self.wfile.write(body)

        def do_GET(self):
            with State.lock, open(log_path, "a") as log:
                log.write("GET %s if-none-match=%s if-modified-since=%s accept-encoding=%s\n" % (
                    self.path, self.headers.get("If-None-Match", ""),
                    self.headers.get("If-Modified-Since", ""), self.headers.get("Accept-Encoding", "")))
            path = self.path
            etag = '"v%d"' % State.version
            if path == "/cal.ics":
                if self.headers.get("If-None-Match") == etag or (
                        not self.headers.get("If-None-Match")
                        and self.headers.get("If-Modified-Since") == LAST_MODIFIED and State.version == 1):
                    self.send_response(304)
                    self.send_header("ETag", etag)
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                self.send_body(200, calendar(State.version),
                               [("Content-Type", "text/calendar"), ("ETag", etag),
                                ("Last-Modified", LAST_MODIFIED)])
            elif path == "/bump":
                State.version += 1
                self.send_body(200, b"bumped\n", [("Content-Type", "text/plain")])
            elif path == "/missing.ics":
                self.send_body(404, b"not here\n", [("Content-Type", "text/plain")])
            elif path == "/slow.ics":
                try:
                    with open(os.path.join(folder, "slow-seconds")) as f:
                        seconds = float(f.read())
                except OSError:
                    seconds = 30
                time.sleep(seconds)
                self.send_body(200, calendar(State.version), [("Content-Type", "text/calendar")])
            elif path.startswith("/loop/"):
                n = int(path[len("/loop/"):] or 0)
                self.send_body(302, b"", [("Location", "/loop/%d" % (n + 1))])
            elif path == "/moved.ics":
                self.send_body(302, b"", [("Location", "/cal.ics")])
            elif path == "/huge.ics":
                if State.huge is None:
                    State.huge = big_calendar(30 * 1024 * 1024)
                self.send_body(200, State.huge, [("Content-Type", "text/calendar")])
            elif path == "/gzip.ics":
                self.send_body(200, gzip.compress(calendar(State.version)),
                               [("Content-Type", "text/calendar"), ("Content-Encoding", "gzip")])
            elif path == "/bomb.ics":
                if State.bomb is None:
                    State.bomb = gzip.compress(big_calendar(30 * 1024 * 1024), 9)
                self.send_body(200, State.bomb, [("Content-Type", "text/calendar"), ("Content-Encoding", "gzip")])
            elif path.startswith("/on/") and path.endswith(".ics") and len(path) == len("/on/YYYYMMDD.ics") \
                    and path[4:12].isdigit():
                self.send_body(200, day_calendar(path[4:12]), [("Content-Type", "text/calendar")])
            elif path == "/html":
                self.send_body(200, b"<html><body>Please sign in</body></html>\n", [("Content-Type", "text/html")])
            else:
                self.send_body(404, b"no such route\n", [("Content-Type", "text/plain")])

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    folder = os.path.abspath(args.dir)
    os.makedirs(folder, exist_ok=True)
    make_ca(folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler_for(folder))
    server.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(folder, "server.pem"), os.path.join(folder, "server.key"))
    server.socket = context.wrap_socket(server.socket, server_side=True)
    port_file = os.path.join(folder, "port")
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
