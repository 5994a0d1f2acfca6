#!/usr/bin/env python3
"""Hold many idle keep-alive connections open through an HTTP proxy.

Opens --count connections to the proxy one after another; on each it sends one GET with an
absolute URL and keep-alive, reads the whole response, and then leaves the connection idle.
When all are open it prints "ready opened=N failed=M" and waits (at most --hold seconds) for
SIGTERM or SIGINT. On the way out it prints "closed_by_peer=K": how many of the held connections
the proxy had closed meanwhile, so a measurement taken while they were "held" can be trusted.
"""

import argparse
import resource
import select
import signal
import socket
import sys
import time

MAX_HEADER_BYTES = 64 * 1024
MAX_RESPONSE_BYTES = 16 * 1024 * 1024


def _chunked_body_length(body):
    """Length of a complete chunked body (trailers included) at the front of body, else None."""
    pos = 0
    while True:
        line_end = body.find(b"\r\n", pos)
        if line_end < 0:
            return None
        size_text = body[pos:line_end].split(b";", 1)[0].strip()
        try:
            size = int(size_text, 16)
        except ValueError:
            raise ValueError("bad chunk size line %r" % body[pos:line_end])
        if size < 0:
            raise ValueError("negative chunk size")
        pos = line_end + 2
        if size == 0:
            trailer_end = body.find(b"\r\n\r\n", pos - 2)
            return None if trailer_end < 0 else trailer_end + 4
        if len(body) < pos + size + 2:
            return None
        if body[pos + size:pos + size + 2] != b"\r\n":
            raise ValueError("chunk data not followed by CRLF")
        pos += size + 2


def response_length(data):
    """Size of the first complete HTTP response in data, or None while it is incomplete.

    Framing follows Content-Length or chunked coding; 1xx, 204 and 304 responses have no body.
    A response framed by the server closing is never complete here (idle keep-alive needs a
    framed response). Raises ValueError for a response that cannot be framed.
    """
    header_end = data.find(b"\r\n\r\n")
    if header_end < 0:
        if len(data) > MAX_HEADER_BYTES:
            raise ValueError("response header too long")
        return None
    lines = data[:header_end].split(b"\r\n")
    fields = lines[0].split(None, 2)
    if len(fields) < 2 or not fields[0].startswith(b"HTTP/") or not fields[1].isdigit():
        raise ValueError("bad status line %r" % lines[0])
    status = int(fields[1])
    body_start = header_end + 4
    if 100 <= status < 200 or status in (204, 304):
        return body_start
    content_length = None
    chunked = False
    for line in lines[1:]:
        name, _, value = line.partition(b":")
        name = name.strip().lower()
        value = value.strip()
        if name == b"content-length":
            if not value.isdigit():
                raise ValueError("bad Content-Length %r" % value)
            content_length = int(value)
        elif name == b"transfer-encoding" and b"chunked" in value.lower():
            chunked = True
    if chunked:
        body_length = _chunked_body_length(data[body_start:])
        return None if body_length is None else body_start + body_length
    if content_length is None:
        raise ValueError("response without Content-Length or chunked coding")
    if content_length > MAX_RESPONSE_BYTES:
        raise ValueError("response too large")
    total = body_start + content_length
    return total if len(data) >= total else None


def build_request(origin, path):
    return ("GET http://%s%s HTTP/1.1\r\nHost: %s\r\nConnection: keep-alive\r\n\r\n" %
            (origin, path, origin)).encode("ascii")


def open_idle_connection(proxy, request, timeout):
    """Connect, send the request, read its whole response; return the socket or raise."""
    sock = socket.create_connection(proxy, timeout=timeout)
    try:
        sock.sendall(request)
        data = b""
        deadline = time.monotonic() + timeout
        while response_length(data) is None:
            if time.monotonic() > deadline:
                raise TimeoutError("response not complete in time")
            piece = sock.recv(65536)
            if not piece:
                raise ConnectionError("proxy closed the connection before the response ended")
            data += piece
        return sock
    except BaseException:
        sock.close()
        raise


def count_closed(sockets):
    """Number of sockets whose peer has closed (readable with nothing left to read)."""
    closed = 0
    for sock in sockets:
        readable, _, _ = select.select([sock], [], [], 0)
        if readable:
            try:
                sock.setblocking(False)
                if sock.recv(1, socket.MSG_PEEK) == b"":
                    closed += 1
            except (BlockingIOError, InterruptedError):
                pass
            except OSError:
                closed += 1
    return closed


def parse_host_port(text):
    host, _, port = text.rpartition(":")
    if not host or not port.isdigit():
        raise argparse.ArgumentTypeError("expected HOST:PORT, got %r" % text)
    return host, int(port)


def raise_fd_limit(wanted):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft < wanted:
        limit = wanted if hard == resource.RLIM_INFINITY else min(wanted, hard)
        resource.setrlimit(resource.RLIMIT_NOFILE, (limit, hard))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--proxy", type=parse_host_port, required=True, help="HOST:PORT")
    parser.add_argument("--origin", required=True, help="HOST:PORT named in the URL")
    parser.add_argument("--path", default="/img.gif")
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--hold", type=float, default=60.0, help="longest wait, seconds")
    parser.add_argument("--timeout", type=float, default=10.0, help="per connection, seconds")
    args = parser.parse_args()
    if not 1 <= args.count <= 10000:
        parser.error("--count must be between 1 and 10000")

    raise_fd_limit(args.count + 64)
    stop = []
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: stop.append(True))

    request = build_request(args.origin, args.path)
    held = []
    failed = 0
    first_error = ""
    for _ in range(args.count):
        if stop:
            break
        try:
            held.append(open_idle_connection(args.proxy, request, args.timeout))
        except (OSError, ValueError) as error:
            failed += 1
            first_error = first_error or str(error)
    print("ready opened=%d failed=%d" % (len(held), failed), flush=True)
    if first_error:
        print("first_error=%s" % first_error, file=sys.stderr, flush=True)

    deadline = time.monotonic() + args.hold
    while not stop and time.monotonic() < deadline:
        time.sleep(0.05)
    print("closed_by_peer=%d" % count_closed(held), flush=True)
    for sock in held:
        sock.close()


if __name__ == "__main__":
    main()
