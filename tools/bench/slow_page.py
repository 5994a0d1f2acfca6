#!/usr/bin/env python3
"""A page sent slowly, and how long it takes to arrive.

  slow_page.py serve --port PORT [--pieces 20] [--seconds 2]
      An origin on 127.0.0.1:PORT. /slow.html is an HTML page sent in PIECES pieces spread over
      SECONDS, with Content-Length; /slow-chunked.html the same page, each piece a chunk. The
      header and the first piece go at once. Prints "ready" once it listens.
  slow_page.py fetch --origin HOST:PORT --path PATH [--proxy HOST:PORT]
      One GET (through the proxy when given), read to the end of the body. Prints
      "ttfb_ms=... ttlb_ms=... bytes=..." (first and last byte after the request was sent).
"""

import argparse
import socket
import sys
import threading
import time

HEAD = (b"<!DOCTYPE html>\n<html>\n<head>\n<title>Slow page</title>\n</head>\n<body>\n"
        b"<p>The first piece of a page whose server is slow.</p>\n")
PIECE = b"<p>Another piece, some time later, of a page that arrives slowly.</p>\n"
TAIL = b"</body>\n</html>\n"


def page_pieces(count):
    """The page as `count` pieces: the head first, the tail last, paragraphs between."""
    pieces = [HEAD] + [PIECE] * max(0, count - 2) + [TAIL]
    return pieces[:count] if count >= 2 else [HEAD + TAIL]


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        more = conn.recv(65536)
        if not more:
            return None
        data += more
    return data.split(b"\r\n", 1)[0].decode("latin-1")


def serve_connection(conn, pieces, gap):
    with conn:
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        while True:
            line = read_request(conn)
            if line is None:
                return
            chunked = "/slow-chunked" in line
            body = b"".join(pieces)
            if chunked:
                header = b"Transfer-Encoding: chunked\r\n"
            else:
                header = b"Content-Length: %d\r\n" % len(body)
            start = b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n" + header + b"\r\n"
            for index, piece in enumerate(pieces):
                if index > 0:
                    time.sleep(gap)
                out = b"%x\r\n%s\r\n" % (len(piece), piece) if chunked else piece
                if index == 0:
                    out = start + out
                if chunked and index == len(pieces) - 1:
                    out += b"0\r\n\r\n"
                conn.sendall(out)


def serve(port, count, seconds):
    pieces = page_pieces(count)
    gap = seconds / max(1, len(pieces) - 1)
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(128)
    print("ready", flush=True)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve_connection, args=(conn, pieces, gap), daemon=True).start()


def body_complete(data):
    """True once data holds a whole response: its Content-Length or its last chunk."""
    end = data.find(b"\r\n\r\n")
    if end < 0:
        return False
    header = data[:end].lower()
    for line in header.split(b"\r\n"):
        if line.startswith(b"content-length:"):
            return len(data) >= end + 4 + int(line.split(b":", 1)[1])
    if b"transfer-encoding: chunked" in header:
        return data.endswith(b"\r\n0\r\n\r\n")
    return False


def fetch(origin, path, proxy, timeout=30.0):
    host, port = (proxy or origin).rsplit(":", 1)
    target = "http://%s%s" % (origin, path) if proxy else path
    request = ("GET %s HTTP/1.1\r\nHost: %s\r\n\r\n" % (target, origin)).encode()
    with socket.create_connection((host, int(port)), timeout=timeout) as conn:
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        sent = time.monotonic()
        conn.sendall(request)
        data = b""
        first = None
        while not body_complete(data):
            more = conn.recv(65536)
            if not more:
                break
            if first is None:
                first = time.monotonic()
            data += more
        last = time.monotonic()
    if first is None:
        raise RuntimeError("no answer")
    return (first - sent) * 1000, (last - sent) * 1000, len(data)


def main(argv):
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    serve_args = commands.add_parser("serve")
    serve_args.add_argument("--port", type=int, required=True)
    serve_args.add_argument("--pieces", type=int, default=20)
    serve_args.add_argument("--seconds", type=float, default=2.0)
    fetch_args = commands.add_parser("fetch")
    fetch_args.add_argument("--origin", required=True)
    fetch_args.add_argument("--path", required=True)
    fetch_args.add_argument("--proxy")
    args = parser.parse_args(argv)
    if args.command == "serve":
        serve(args.port, args.pieces, args.seconds)
        return 0
    first, last, size = fetch(args.origin, args.path, args.proxy)
    print("ttfb_ms=%.1f ttlb_ms=%.1f bytes=%d" % (first, last, size))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
