#!/usr/bin/env python3
"""Checks of the benchmark's response framing and its report arithmetic.

Run: python3 -m unittest discover -s tools/bench -p 'test_*.py'
"""

import os
import shutil
import socket
import subprocess
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import bench_report  # noqa: E402
import idle_clients  # noqa: E402
import slow_page  # noqa: E402

OK_HEADER = b"HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\n"


class ResponseLengthTest(unittest.TestCase):
    def test_framing(self):
        chunked = OK_HEADER + b"Transfer-Encoding: chunked\r\n\r\n"
        whole = object()  # the response fills the data exactly
        cases = [
            ("header still open", OK_HEADER + b"Content-Length: 3\r\n", None),
            ("content-length complete", OK_HEADER + b"Content-Length: 3\r\n\r\nabc", whole),
            ("content-length short", OK_HEADER + b"Content-Length: 3\r\n\r\nab", None),
            ("next response after it", OK_HEADER + b"Content-Length: 0\r\n\r\nHTTP/1.1",
             len(OK_HEADER) + 21),
            ("name in other case", OK_HEADER + b"content-LENGTH:  2 \r\n\r\nab", whole),
            ("204 has no body", b"HTTP/1.1 204 No Content\r\nContent-Length: 9\r\n\r\n", whole),
            ("304 has no body", b"HTTP/1.1 304 Not Modified\r\n\r\n", whole),
            ("chunked complete", chunked + b"3\r\nabc\r\n0\r\n\r\n", whole),
            ("hexadecimal chunk size", chunked + b"a\r\n0123456789\r\n0\r\n\r\n", whole),
            ("chunk extension", chunked + b"3;x=y\r\nabc\r\n0\r\n\r\n", whole),
            ("chunked with trailer", chunked + b"1\r\na\r\n0\r\nX: 1\r\n\r\n", whole),
            ("chunk data short", chunked + b"3\r\nab", None),
            ("chunk data before its line break", chunked + b"3\r\nabc", None),
            ("last chunk without blank line", chunked + b"0\r\n", None),
            ("chunk size line open", chunked + b"1", None),
        ]
        for name, data, want in cases:
            with self.subTest(name):
                self.assertEqual(idle_clients.response_length(data),
                                 len(data) if want is whole else want)

    def test_unframable_responses_are_refused(self):
        cases = [
            ("no length, read until close", OK_HEADER + b"\r\nbody"),
            ("not a status line", b"<html>\r\n\r\n"),
            ("bad content-length", OK_HEADER + b"Content-Length: -1\r\n\r\n"),
            ("bad chunk size", OK_HEADER + b"Transfer-Encoding: chunked\r\n\r\nzz\r\n"),
            ("chunk overruns its size", OK_HEADER + b"Transfer-Encoding: chunked\r\n\r\n"
             b"1\r\nab\r\n0\r\n\r\n"),
            ("endless header", b"HTTP/1.1 200 OK\r\n" + b"X: y\r\n" * 20000),
        ]
        for name, data in cases:
            with self.subTest(name):
                with self.assertRaises(ValueError):
                    idle_clients.response_length(data)


class IdleConnectionTest(unittest.TestCase):
    """The client against a tiny server that answers in small pieces, then closes or stays."""

    def serve(self, reply_pieces, close_after):
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(1)
        listener.settimeout(5)
        received = []

        def run():
            conn, _ = listener.accept()
            with conn:
                received.append(conn.recv(4096))
                for piece in reply_pieces:
                    conn.sendall(piece)
                if not close_after:
                    conn.settimeout(5)
                    conn.recv(1)  # stays open until the client closes
            listener.close()

        thread = threading.Thread(target=run, daemon=True)
        thread.start()
        return listener.getsockname(), received, thread

    def test_reads_a_split_response_and_keeps_the_connection(self):
        address, received, thread = self.serve(
            [OK_HEADER, b"Content-Length: 4\r\n\r\nab", b"cd"], close_after=False)
        request = idle_clients.build_request("127.0.0.1:9", "/img.gif")
        sock = idle_clients.open_idle_connection(address, request, timeout=5)
        self.assertEqual(idle_clients.count_closed([sock]), 0)
        sock.close()
        thread.join(5)
        self.assertEqual(received[0], request)
        self.assertTrue(request.startswith(b"GET http://127.0.0.1:9/img.gif HTTP/1.1\r\n"))

    def test_close_before_the_body_ends_is_an_error(self):
        address, _, thread = self.serve([OK_HEADER + b"Content-Length: 9\r\n\r\nab"],
                                        close_after=True)
        with self.assertRaises(ConnectionError):
            idle_clients.open_idle_connection(address, b"GET / HTTP/1.1\r\n\r\n", timeout=5)
        thread.join(5)

    def test_counts_connections_the_peer_closed(self):
        left, right = socket.socketpair()
        kept, kept_peer = socket.socketpair()
        right.close()
        try:
            self.assertEqual(idle_clients.count_closed([left, kept]), 1)
        finally:
            for sock in (left, kept, kept_peer):
                sock.close()


@unittest.skipUnless(shutil.which("wrk"), "wrk is not installed")
class WrkScriptTest(unittest.TestCase):
    """absolute-get.lua against a server that records what wrk sends."""

    SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "absolute-get.lua")

    def run_wrk(self, mode):
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(8)
        listener.settimeout(5)
        requests = []

        def serve():
            # wrk probes the address once with an empty connection, then sends its requests.
            for _ in range(2):
                try:
                    conn, _ = listener.accept()
                except OSError:
                    return
                with conn:
                    data = conn.recv(4096)
                    if data:
                        requests.append(data)
                        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n"
                                     b"Connection: close\r\n\r\nok")
                        return

        thread = threading.Thread(target=serve, daemon=True)
        thread.start()
        env = dict(os.environ, BENCH_ORIGIN="127.0.0.1:9", BENCH_PATH="/img.gif", BENCH_MODE=mode)
        url = "http://127.0.0.1:%d/" % listener.getsockname()[1]
        result = subprocess.run(["wrk", "-t1", "-c1", "-d1s", "-s", self.SCRIPT, url], env=env,
                                capture_output=True, text=True, timeout=30)
        thread.join(5)
        listener.close()
        return requests, result

    def test_request_lines_and_summary(self):
        for mode, line in (("proxy", b"GET http://127.0.0.1:9/img.gif HTTP/1.1\r\n"),
                           ("direct", b"GET /img.gif HTTP/1.1\r\n")):
            with self.subTest(mode):
                requests, result = self.run_wrk(mode)
                self.assertTrue(requests, result.stderr)
                self.assertTrue(requests[0].startswith(line), requests[0])
                self.assertIn(b"\r\nHost: 127.0.0.1:9\r\n", requests[0])
                summary = [l for l in result.stdout.splitlines() if l.startswith("BENCH ")]
                self.assertEqual(len(summary), 1, result.stdout)
                keys = {pair.split("=")[0] for pair in summary[0].split()[1:]}
                self.assertLessEqual({"rps", "p50_us", "p99_us", "connect_errors", "read_errors",
                                      "write_errors", "timeouts", "bad_status"}, keys)


class ReportTest(unittest.TestCase):
    RESULTS = """
img.korvo.c16.rps 30000
img.privoxy.c16.rps 24000
img.korvo.c128.rps 20000
img.privoxy.c128.rps 24000
file.korvo.mbps 1500.5
file.direct.mbps 3000
mem.korvo.before_kib 3000
mem.korvo.after_kib 13000
mem.korvo.opened 1000
mem.privoxy.before_kib 3000
mem.privoxy.after_kib 19000
mem.privoxy.opened 1000
html.korvo.c16.rps 3500
html.privoxy-filter.c16.rps 700
note load before: load average: 0.10, 0.20, 0.30
note korvo /page.html: 52000 bytes
""".splitlines()

    def checks(self):
        results = bench_report.load_results(self.RESULTS)
        return {d: (round(r, 3) if r is not None else None, bench_report.verdict(r, w, h))
                for d, r, w, h in bench_report.target_checks(results)}

    def test_ratios_and_verdicts(self):
        checks = self.checks()
        want = {
            "image req/s, korvo / privoxy (toggle 0), 16 conns": (1.25, "met"),
            "image req/s, korvo / privoxy (toggle 0), 128 conns": (0.833, "MISSED"),
            "100 MiB file MB/s, korvo / direct": (0.5, "met"),
            "KiB per idle connection, korvo / privoxy (toggle 0)": (0.625, "met"),
            "HTML plain req/s, korvo / privoxy (filters), 16 conns": (5.0, "met"),
            "HTML plain req/s, korvo / privoxy (filters), 128 conns": (None, "not measured"),
            "HTML chunked req/s, korvo / privoxy (filters), 16 conns": (None, "not measured"),
        }
        for description, expected in want.items():
            with self.subTest(description):
                self.assertEqual(checks[description], expected)

    def test_memory_target_is_missed_when_korvo_grows_more(self):
        lines = [line.replace("mem.korvo.opened 1000", "mem.korvo.opened 500")
                 for line in self.RESULTS]
        results = bench_report.load_results(lines)
        self.assertAlmostEqual(bench_report.kib_per_connection(results, "korvo"), 20.0)
        measured = bench_report.ratio(bench_report.kib_per_connection(results, "korvo"),
                                      bench_report.kib_per_connection(results, "privoxy"))
        self.assertEqual(bench_report.verdict(measured, 1.0, False), "MISSED")

    def test_missing_or_zero_inputs_give_no_ratio(self):
        results = bench_report.load_results(["mem.korvo.before_kib 10", "mem.korvo.after_kib 20",
                                             "mem.korvo.opened 0", "img.korvo.c16.rps 5",
                                             "img.privoxy.c16.rps 0"])
        self.assertIsNone(bench_report.kib_per_connection(results, "korvo"))
        self.assertIsNone(bench_report.ratio(5.0, 0.0))
        self.assertIsNone(bench_report.ratio(None, 3.0))

    def test_other_load_summary(self):
        results = bench_report.load_results([
            "img.direct.c1.other_cpu_pct 10", "img.korvo.c1.other_cpu_pct 80",
            "img.privoxy.c1.other_cpu_pct -3", "html.korvo.c16.other_cpu_pct 55",
            "img.korvo.c1.rps 900"])
        self.assertEqual(bench_report.other_load_summary(results),
                         "other programs' CPU during the wrk runs, % of one core: median 55, "
                         "highest 80 (img.korvo.c1); 2 of 4 runs at 50 or more")
        self.assertIsNone(bench_report.other_load_summary(bench_report.load_results([])))

    def test_report_keeps_notes_in_order_and_marks_gaps(self):
        text = bench_report.report(bench_report.load_results(self.RESULTS))
        self.assertLess(text.index("load before"), text.index("korvo /page.html"))
        self.assertIn("n/a", text)
        self.assertIn("MISSED", text)

    def test_slow_page_lag_behind_direct(self):
        results = bench_report.load_results([
            "slow.direct.ttfb_ms 1.0", "slow.korvo.ttfb_ms 3.5", "slow.direct.ttlb_ms 2000",
            "slow.korvo.ttlb_ms 2007.5", "slowchunked.korvo.ttfb_ms 2"])
        checks = {d: (lag, bench_report.verdict(lag, w, False))
                  for d, lag, w in bench_report.slow_page_checks(results)}
        self.assertEqual(checks["slow page Content-Length, first byte: korvo - direct"],
                         (2.5, "met"))
        self.assertEqual(checks["slow page Content-Length, last byte: korvo - direct"],
                         (7.5, "MISSED"))
        self.assertEqual(checks["slow page chunked, first byte: korvo - direct"],
                         (None, "not measured"))


class SlowPageTest(unittest.TestCase):
    """The slow origin against its own client: the pieces come apart in time, the body whole."""

    def setUp(self):
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        self.port = probe.getsockname()[1]
        probe.close()
        self.origin = subprocess.Popen(
            [sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                          "slow_page.py"),
             "serve", "--port", str(self.port), "--pieces", "4", "--seconds", "0.3"],
            stdout=subprocess.PIPE)
        self.assertEqual(self.origin.stdout.readline().strip(), b"ready")

    def tearDown(self):
        self.origin.kill()
        self.origin.wait()
        self.origin.stdout.close()

    def test_both_framings_arrive_whole_and_late(self):
        size = len(b"".join(slow_page.page_pieces(4)))
        for path in ("/slow.html", "/slow-chunked.html"):
            with self.subTest(path):
                first, last, got = slow_page.fetch("127.0.0.1:%d" % self.port, path, None)
                self.assertLess(first, 150)
                self.assertGreater(last, 250)
                self.assertGreater(got, size)

    def test_body_complete(self):
        self.assertTrue(slow_page.body_complete(b"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"))
        self.assertFalse(slow_page.body_complete(b"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nok"))
        chunked = b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n"
        self.assertFalse(slow_page.body_complete(chunked))
        self.assertTrue(slow_page.body_complete(chunked + b"0\r\n\r\n"))


if __name__ == "__main__":
    unittest.main()
