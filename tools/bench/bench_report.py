#!/usr/bin/env python3
"""Print the proxy benchmark's table and target ratios from its results file.

The results file holds one "key value" pair per line, written by proxy-bench:
  img.<target>.c<N>.rps|p50_us|p99_us|errors    1 KiB image, wrk with N connections
  html.<target>.c<N>.*, htmlchunked.<target>.c<N>.*   50 KiB page, plain and chunked
  file.<target>.mbps                             100 MiB file, best of 3 (MB = 10^6 bytes)
  slow.<target>.ttfb_ms|ttlb_ms, slowchunked.*   a page sent in 20 pieces over 2 s: time to its
                                                 first and last byte, median of 3
  mem.<target>.before_kib|after_kib|opened|failed|closed   idle keep-alive connections
  <metric>.<target>.c<N>.other_cpu_pct           CPU other programs used during that run
  note <text>                                    free text, printed under the table
Targets: direct, korvo, privoxy (toggle 0), privoxy-filter (default filters).
A missing value prints as "n/a" and its target as "not measured".
"""

import sys

CONNECTIONS = (1, 16, 128)
NAMES = {
    "direct": "direct (nginx)",
    "korvo": "korvo-proxy",
    "privoxy": "privoxy (toggle 0)",
    "privoxy-filter": "privoxy (filters on)",
}


def load_results(lines):
    """Key/value pairs of the results file; "note" lines are collected in order under "note"."""
    results = {"note": []}
    for line in lines:
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        key, _, value = line.partition(" ")
        if key == "note":
            results["note"].append(value)
            continue
        try:
            results[key] = float(value)
        except ValueError:
            results[key] = value
    return results


def number(results, key):
    value = results.get(key)
    return value if isinstance(value, float) else None


def ratio(numerator, denominator):
    if numerator is None or denominator is None or denominator <= 0:
        return None
    return numerator / denominator


def kib_per_connection(results, target):
    """RSS growth per held connection, or None when too few connections were held to tell."""
    before = number(results, "mem.%s.before_kib" % target)
    after = number(results, "mem.%s.after_kib" % target)
    opened = number(results, "mem.%s.opened" % target)
    if before is None or after is None or not opened:
        return None
    return (after - before) / opened


def other_load_summary(results):
    """One line on the CPU other programs took during the wrk runs, or None without figures."""
    suffix = ".other_cpu_pct"
    loads = sorted((max(value, 0.0), key[:-len(suffix)]) for key, value in results.items()
                   if key.endswith(suffix) and isinstance(value, float))
    if not loads:
        return None
    median = loads[len(loads) // 2][0]
    busy = [run for load, run in loads if load >= 50]
    line = ("other programs' CPU during the wrk runs, %% of one core: median %.0f, highest %.0f "
            "(%s)" % (median, loads[-1][0], loads[-1][1]))
    if busy:
        line += "; %d of %d runs at 50 or more" % (len(busy), len(loads))
    return line


def target_checks(results):
    """(description, measured ratio or None, wanted, higher_is_better) for every target."""
    checks = []
    for conns in (16, 128):
        checks.append((
            "image req/s, korvo / privoxy (toggle 0), %d conns" % conns,
            ratio(number(results, "img.korvo.c%d.rps" % conns),
                  number(results, "img.privoxy.c%d.rps" % conns)), 1.0, True))
    checks.append(("100 MiB file MB/s, korvo / direct",
                   ratio(number(results, "file.korvo.mbps"),
                         number(results, "file.direct.mbps")), 0.5, True))
    checks.append(("KiB per idle connection, korvo / privoxy (toggle 0)",
                   ratio(kib_per_connection(results, "korvo"),
                         kib_per_connection(results, "privoxy")), 1.0, False))
    for page, label in (("html", "plain"), ("htmlchunked", "chunked")):
        for conns in (16, 128):
            checks.append((
                "HTML %s req/s, korvo / privoxy (filters), %d conns" % (label, conns),
                ratio(number(results, "%s.korvo.c%d.rps" % (page, conns)),
                      number(results, "%s.privoxy-filter.c%d.rps" % (page, conns))), 5.0, True))
    return checks


SLOW_PAGES = (("slow", "Content-Length"), ("slowchunked", "chunked"))


def slow_page_checks(results):
    """(description, korvo's lag behind direct in ms or None, wanted ms) for the slow page."""
    checks = []
    for page, label in SLOW_PAGES:
        for key, what in (("ttfb_ms", "first"), ("ttlb_ms", "last")):
            korvo = number(results, "%s.korvo.%s" % (page, key))
            direct = number(results, "%s.direct.%s" % (page, key))
            lag = None if korvo is None or direct is None else korvo - direct
            checks.append(("slow page %s, %s byte: korvo - direct" % (label, what), lag, 5.0))
    return checks


def verdict(measured, wanted, higher_is_better):
    if measured is None:
        return "not measured"
    met = measured >= wanted if higher_is_better else measured <= wanted
    return "met" if met else "MISSED"


def _format_count(value):
    return "n/a" if value is None else "{:,.0f}".format(value)


def _format_ms(value):
    return "n/a" if value is None else "%.2f" % (value / 1000.0)


def load_table(results, page, title, targets):
    rows = ["%s: req/s  p50/p99 ms" % title,
            "  %-22s" % "" + "".join("%24s" % ("%d conn%s" % (c, "" if c == 1 else "s"))
                                     for c in CONNECTIONS)]
    for target in targets:
        cells = []
        for conns in CONNECTIONS:
            prefix = "%s.%s.c%d." % (page, target, conns)
            rps = number(results, prefix + "rps")
            errors = number(results, prefix + "errors")
            cell = "%s %s/%s" % (_format_count(rps), _format_ms(number(results, prefix + "p50_us")),
                                 _format_ms(number(results, prefix + "p99_us")))
            if errors:
                cell += " e%d" % errors
            cells.append("%24s" % cell)
        rows.append("  %-22s" % NAMES[target] + "".join(cells))
    return rows


def report(results):
    lines = []
    lines += load_table(results, "img", "1 KiB image", ("direct", "korvo", "privoxy"))
    lines.append("")
    for page, title in (("html", "50 KiB HTML page, Content-Length"),
                        ("htmlchunked", "50 KiB HTML page, chunked")):
        lines += load_table(results, page, title, ("direct", "korvo", "privoxy-filter"))
        lines.append("")
    lines.append("100 MiB file: MB/s, best of 3")
    for target in ("direct", "korvo", "privoxy"):
        value = number(results, "file.%s.mbps" % target)
        lines.append("  %-22s%12s" % (NAMES[target], "n/a" if value is None else "%.0f" % value))
    lines.append("")
    lines.append("A page sent in 20 pieces over 2 s: ms to the first / last byte, median of 3")
    lines.append("  %-22s%24s%24s" % ("", "Content-Length", "chunked"))
    for target in ("direct", "korvo", "privoxy-filter"):
        cells = []
        for page, _ in SLOW_PAGES:
            first = number(results, "%s.%s.ttfb_ms" % (page, target))
            last = number(results, "%s.%s.ttlb_ms" % (page, target))
            cells.append("%24s" % ("n/a" if first is None or last is None else
                                   "%.1f / %.1f" % (first, last)))
        lines.append("  %-22s" % NAMES[target] + "".join(cells))
    lines.append("")
    lines.append("Idle keep-alive connections: resident memory (VmRSS)")
    lines.append("  %-22s%12s%12s%8s%8s%8s%10s" % ("", "before KiB", "after KiB", "held", "failed",
                                                    "closed", "KiB/conn"))
    for target in ("korvo", "privoxy", "privoxy-filter"):
        prefix = "mem.%s." % target
        per_conn = kib_per_connection(results, target)
        lines.append("  %-22s%12s%12s%8s%8s%8s%10s" % (
            NAMES[target], _format_count(number(results, prefix + "before_kib")),
            _format_count(number(results, prefix + "after_kib")),
            _format_count(number(results, prefix + "opened")),
            _format_count(number(results, prefix + "failed")),
            _format_count(number(results, prefix + "closed")),
            "n/a" if per_conn is None else "%.1f" % per_conn))
    lines.append("")
    lines.append("Targets")
    for description, measured, wanted, higher_is_better in target_checks(results):
        shown = "n/a" if measured is None else "%.2fx" % measured
        bound = ">=" if higher_is_better else "<="
        lines.append("  %-56s%8s  (%s %.1fx)  %s" % (description, shown, bound, wanted,
                                                     verdict(measured, wanted, higher_is_better)))
    for description, lag, wanted in slow_page_checks(results):
        shown = "n/a" if lag is None else "%+.1f ms" % lag
        lines.append("  %-56s%8s  (<= %.0f ms)  %s" % (description, shown, wanted,
                                                       verdict(lag, wanted, False)))
    notes = list(results["note"])
    other_load = other_load_summary(results)
    if other_load:
        notes.append(other_load)
    if notes:
        lines.append("")
        lines.append("Notes")
        lines += ["  " + note for note in notes]
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: bench_report.py RESULTS_FILE")
    with open(sys.argv[1], encoding="utf-8") as results_file:
        sys.stdout.write(report(load_results(results_file)))


if __name__ == "__main__":
    main()
