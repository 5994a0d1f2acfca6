#!/usr/bin/env python3
"""Origin server for response_curl.sh: fixed replies of each kind the proxy treats differently.
Usage: response_origin.py PORT"""
import http.server
import sys
import time

PAGE = (b"<!DOCTYPE html>\n<html><head><title>t</title></head><body>"
        + b"x" * 3000 + b"</body></html>\n")
BINARY_PAGE = b"\x00\x01\x02<html><body>" + bytes(range(256)) + b"</body></html>"
IMAGE = b"GIF89a" + bytes(range(256)) * 4


class Origin(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, status, content_type, body, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def chunked(self, content_type, body, pieces=4):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        self.wfile.flush()
        step = max(1, len(body) // pieces)
        for at in range(0, len(body), step):
            part = body[at:at + step]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
            self.wfile.flush()
            time.sleep(0.02)
        self.wfile.write(b"0\r\n\r\n")

    def do_GET(self):
        path = self.path
        if path == "/page.html":
            self.reply(200, "text/html", PAGE)
        elif path == "/chunked.html":
            self.chunked("text/html", PAGE)
        elif path == "/chunked.gif":
            self.chunked("image/gif", IMAGE)
        elif path == "/binary.html":
            # The header alone first: the body check must not depend on read boundaries.
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(BINARY_PAGE)))
            self.end_headers()
            self.wfile.flush()
            time.sleep(0.05)
            self.wfile.write(BINARY_PAGE)
        elif path == "/redirect":
            # The header and the first body bytes now, the rest of the body later.
            body = b"<html><body>moved</body></html>"
            self.send_response(302)
            self.send_header("Location", "/page.html")
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[:6])
            self.wfile.flush()
            time.sleep(3)
            self.wfile.write(body[6:])
        elif path == "/not-modified":
            self.send_response(304)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
        else:
            self.reply(404, "text/plain", b"no such page\n")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        self.reply(200, "text/plain", b"got %d bytes" % len(body))


if __name__ == "__main__":
    http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Origin).serve_forever()
