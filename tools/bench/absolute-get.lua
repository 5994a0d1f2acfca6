-- wrk script: one fixed GET per request, in the form a browser sends to a proxy.
--
-- Environment:
--   BENCH_ORIGIN  host:port of the origin server, e.g. 127.0.0.1:8080
--   BENCH_PATH    path on the origin, e.g. /img.gif
--   BENCH_MODE    "proxy": absolute-URL request line (GET http://ORIGIN/PATH HTTP/1.1);
--                 "direct": plain path request line.
-- The Host header always names the origin, so the proxies and nginx see the same request.
--
-- The request is built once at load time and left static, so wrk does not call into Lua
-- for every request. The summary is printed as one "BENCH key=value ..." line.

local origin = os.getenv("BENCH_ORIGIN") or error("BENCH_ORIGIN is not set")
local path = os.getenv("BENCH_PATH") or "/"
local mode = os.getenv("BENCH_MODE") or "direct"

if mode == "proxy" then
   wrk.path = "http://" .. origin .. path
elseif mode == "direct" then
   wrk.path = path
else
   error("BENCH_MODE must be proxy or direct, not " .. mode)
end
wrk.method = "GET"
wrk.headers["Host"] = origin

function done(summary, latency, requests)
   local seconds = summary.duration / 1e6
   local e = summary.errors
   io.write(string.format(
      "BENCH requests=%d seconds=%.3f rps=%.1f p50_us=%d p99_us=%d " ..
      "connect_errors=%d read_errors=%d write_errors=%d timeouts=%d bad_status=%d bytes=%d\n",
      summary.requests, seconds, summary.requests / seconds,
      latency:percentile(50), latency:percentile(99),
      e.connect, e.read, e.write, e.timeout, e.status, summary.bytes))
end
