#!/usr/bin/env python3
"""The score server under load, on 127.0.0.1 only (bench/server_bench.sh runs it).

It starts its own varnhold-server on a fresh SQLite file, lets CLIENTS clients post replays for
SECONDS seconds, each sending its next one as soon as the last is answered (after a 503, once its
Retry-After has passed), then stops the server
with SIGTERM while the last requests are in flight, starts it again on the same file and checks
that every accepted entry is listed and its replay kept byte for byte.

Each client is a player of its own address (X-Forwarded-For, the server trusting 127.0.0.1 as
its proxy). What the honest clients send, drawn at random (seeded per client), from the whole
games of different seeds that bench/games.cpp plays headless (GAMES-FOLDER/game-*.vhr):
  same     the first game under a comment line of its own: the same game in another spelling,
           stored once (201, then 200 "stored before")
  new      a game not sent before: played and stored (201)
  garbage  bytes that are no replay: 400 before any playback
  digest   the second game with its last world digest changed: played to the end, then 422
The abusive client (--abusers, default 1 of the clients) sends GAMES-FOLDER/idle.vhr, three
hours of the title screen that make no row, with another window position each time: another
game every time, each played to its end (422) unless its verification budget is spent (429).
503 (every verifier busy and the queue full) is a refusal the server may give to the played kinds;
an honest client refused 429 or 503 is counted apart.

Then, apart from the load, the CPU time of the verifier (varnhold-server --verify-child) for the
longest and the shortest game, scaled per frame to a game of 10 minutes.

With --trickle N, N connections from another address (127.0.0.2) send their headers a byte at a
time all along, each opened again as soon as the server closes it, and /healthz is timed.

Usage: server_load.py SERVER GAMES-FOLDER [--clients N] [--abusers N] [--abuser-connections N] [--idle-frames N]
                      [--seconds T] [--pause S] [--workers N] [--queue N] [--trickle N] [--quick]
Exit status 1 when an answer was not the one its kind allows or the restart lost an entry."""
import argparse, atexit, concurrent.futures, re, http.client, json, os, random, resource, shutil, signal, socket, subprocess, sys, tempfile, threading, time

ap = argparse.ArgumentParser()
ap.add_argument("server")
ap.add_argument("games")
ap.add_argument("--abusers", type=int, default=1, help="clients of the --clients that send costly made-up games")
ap.add_argument("--clients", type=int, default=32)
ap.add_argument("--abuser-connections", type=int, default=1,
                help="connections each abusive client sends on at once, all from its one address")
ap.add_argument("--idle-frames", type=int, default=0,
                help="the abuser's idle session this many frames long (default: GAMES-FOLDER/idle.vhr, three hours)")
ap.add_argument("--seconds", type=float, default=20)
ap.add_argument("--workers", type=int, default=0, help="the server's --workers (default: its own)")
ap.add_argument("--queue", type=int, default=-1, help="the server's --queue (default: its own)")
ap.add_argument("--pause", type=float, default=0, help="seconds a client waits after an answer (0.5 to 1.5 times)")
ap.add_argument("--isolate", action="store_true", help="the server verifies in child processes (its --isolate)")
ap.add_argument("--trickle", type=int, default=0,
                help="connections from 127.0.0.2 that send their headers a byte at a time, opened again when closed")
ap.add_argument("--quick", action="store_true", help="2 clients for 2 s, no CPU measurement: a check of correctness")
args = ap.parse_args()
if args.quick:
    args.clients, args.seconds, args.abusers = 2, 2, 0
if not 1 <= args.clients <= 256 or not 1 <= args.seconds <= 300 or not 0 <= args.pause <= 300:
    sys.exit("server_load.py: --clients is 1 to 256, --seconds 1 to 300, --pause 0 to 300")

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def readgame(name):
    with open(os.path.join(args.games, name), "rb") as f:
        return f.read()


games = sorted((f for f in os.listdir(args.games) if f.startswith("game-") and f.endswith(".vhr")),
               key=lambda f: int(f[5:-4]))
if len(games) < 3:
    sys.exit(f"server_load.py: {args.games} holds {len(games)} games; bench/games.cpp makes them")
good = readgame(games[0])
lines = readgame(games[1]).split(b"\n")
last = max(i for i, l in enumerate(lines) if l.startswith(b"check "))
w = lines[last].split(b" ")
w[2] = (b"1" if w[2][:1] == b"0" else b"0") + w[2][1:]
changed = b"\n".join(lines[:last] + [b" ".join(w)] + lines[last + 1:])
fresh = iter(games[2:])          # each sent once
garbage = bytes(range(256)) * 4
if args.abusers and args.idle_frames:
    name = f"idle-{args.idle_frames}.vhr"
    if not os.path.exists(os.path.join(args.games, name)):   # made once, by bench/games.cpp
        made = tempfile.mkdtemp(prefix="varnhold-idle-")
        build = os.path.dirname(os.path.abspath(args.server))
        subprocess.run([os.path.join(build, "varnhold_games"), "--count", "1", "--idle", str(args.idle_frames), "--to", made],
                       cwd=build, check=True, stdout=subprocess.DEVNULL)
        shutil.move(os.path.join(made, "idle.vhr"), os.path.join(args.games, name))
        shutil.rmtree(made, True)
idle = readgame(f"idle-{args.idle_frames}.vhr" if args.idle_frames else "idle.vhr") if args.abusers else b""
allowed = {"same": {200, 201, 503}, "new": {201, 503}, "garbage": {400}, "digest": {422, 503}, "abuse": {422, 429, 503}}
kinds, weights = ["same", "new", "garbage", "digest"], [3, 3, 2, 2]
abusers = range(args.clients - args.abusers, args.clients)


def address(client):
    return f"10.{66 if client in abusers else 0}.{client // 256}.{client % 256}"


def body(kind, client, n):
    """The replay a client of this kind sends, and the kind it really is: once the new games are
    all sent, a "new" one is the known game again ("same")."""
    if kind == "abuse":
        return kind, re.sub(rb"\nwindow -?\d+ ", b"\nwindow %d " % ((client * 1000 + n) % 60000), idle, count=1)
    if kind == "new":
        with lock:
            name = next(fresh, None)
        if name:
            return kind, readgame(name)
        kind = "same"
    if kind == "same":
        return kind, b"# load test, client %d, replay %d\n" % (client, n) + good
    return kind, {"garbage": garbage, "digest": changed}[kind]


def freeport():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start(db):
    port = freeport()
    cmd = [args.server, "--listen", f"127.0.0.1:{port}", "--db", db, "--rate", "1000000", "--trusted-proxy", "127.0.0.1"]
    if args.workers:
        cmd += ["--workers", str(args.workers)]
    if args.queue >= 0:
        cmd += ["--queue", str(args.queue)]
    if args.isolate:
        cmd += ["--isolate"]
    p = subprocess.Popen(cmd, stdout=open(db + ".log", "a"), stderr=subprocess.STDOUT, text=True)
    atexit.register(lambda: p.poll() is None and p.kill())   # never left running by a failure
    for _ in range(3000):
        if p.poll() is not None or log().count("listening") > starts:
            break
        time.sleep(0.01)
    if log().count("listening") <= starts:
        sys.exit(f"the server did not start: {log()}")
    return p, port


starts = 0


def log():
    try:
        with open(db + ".log", encoding="latin-1") as f:
            return f.read()
    except OSError:
        return ""


def request(port, method, path, data=None, client=0):
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=300)
    try:
        headers = {"X-Forwarded-For": address(client)}
        if data is not None:
            headers["Content-Type"] = "application/octet-stream"
        c.request(method, path, data, headers)
        r = c.getresponse()
        return r.status, r.read(), int(r.getheader("Retry-After", "0"))
    except (OSError, http.client.HTTPException) as e:
        return 0, str(e).encode(), 0
    finally:
        c.close()


def status(pid):
    out = {}
    with open(f"/proc/{pid}/status") as f:
        for l in f:
            k, _, v = l.partition(":")
            out[k] = v.split()
    return out


def rss(pid):
    try:
        return int(status(pid)["VmRSS"][0]) * 1024
    except (OSError, KeyError):
        return 0


def cpu(pid):
    """The process's own CPU seconds and those of its children it has waited for."""
    with open(f"/proc/{pid}/stat") as f:
        rest = f.read().rsplit(")", 1)[1].split()
    tick = os.sysconf("SC_CLK_TCK")
    return (int(rest[11]) + int(rest[12])) / tick, (int(rest[13]) + int(rest[14])) / tick


def family(pid):
    """The resident memory of the server and its verifiers now."""
    total = rss(pid)
    for d in os.listdir("/proc"):
        if d.isdigit():
            try:
                if status(d)["PPid"][0] == str(pid):
                    total += rss(d)
            except (OSError, KeyError):
                pass
    return total


def quantile(xs, q):
    xs = sorted(xs)
    return xs[min(len(xs) - 1, int(q * len(xs)))] if xs else float("nan")


mb = lambda b: f"{b / 1048576:.1f} MB"
cores = len(os.sched_getaffinity(0))
with open("/proc/loadavg") as f:
    load = f.read().split()[0]   # other work on the machine slows the verifiers
work = tempfile.mkdtemp(prefix="varnhold-server-bench-")
atexit.register(shutil.rmtree, work, True)
db = os.path.join(work, "scores.db")
lock = threading.Lock()
server, port = start(db)
starts = 1
results = []          # (kind, status, seconds, sent at, body sent, answer, client)
time.sleep(0.5)
rss0, (own0, children0) = rss(server.pid), cpu(server.pid)
peak = [family(server.pid)]
begin = time.monotonic()
deadline = begin + args.seconds


def client(i, connection=0):
    rnd = random.Random(i * 1000 + connection)
    n = connection * 100000   # another window position on each of an abuser's connections
    time.sleep(rnd.uniform(0, args.pause))   # paced clients start apart, not as one burst
    while time.monotonic() < deadline:
        kind = "abuse" if i in abusers else "new" if n == 0 else rnd.choices(kinds, weights)[0]   # a first entry to keep
        kind, data = body(kind, i, n)
        n += 1
        t0 = time.monotonic()
        code, answer, wait = request(port, "POST", "/api/v1/replays", data, i)
        t1 = time.monotonic()
        with lock:
            results.append((kind, code, t1 - t0, t0, data if code == 201 else None, answer, i))
        wait = max(wait, args.pause * rnd.uniform(0.5, 1.5))   # Retry-After: as a player's game does
        time.sleep(max(0, min(wait, deadline - time.monotonic())))


def sampler():
    while time.monotonic() < deadline:
        peak[0] = max(peak[0], family(server.pid))
        time.sleep(0.25)


trickled = {"refused": 0, "healthz": []}


def trickler():
    def connect():
        c = socket.socket()
        c.bind(("127.0.0.2", 0))
        c.setblocking(False)
        try:
            c.connect(("127.0.0.1", port))
        except BlockingIOError:
            pass
        return c
    flood = [connect() for _ in range(args.trickle)]
    while time.monotonic() < deadline:
        for k, c in enumerate(flood):
            try:
                c.send(b"G")
                got = c.recv(100)
                trickled["refused"] += got.startswith(b"HTTP/1.1 503")
                c.close()
                flood[k] = connect()
            except (BlockingIOError, InterruptedError):
                pass
            except OSError:
                c.close()
                flood[k] = connect()
        time.sleep(0.2)
    for c in flood:
        c.close()


def prober():
    while time.monotonic() < deadline:
        t0 = time.monotonic()
        request(port, "GET", "/healthz", client=10000)
        trickled["healthz"].append(time.monotonic() - t0)
        time.sleep(0.5)


threads = [threading.Thread(target=client, args=(i, k)) for i in range(args.clients)
           for k in range(args.abuser_connections if i in abusers else 1)] + [threading.Thread(target=sampler)]
if args.trickle:   # the flood first, the clients beside it
    threads = [threading.Thread(target=trickler), threading.Thread(target=prober)] + threads
    for t in threads[:2]:
        t.start()
    time.sleep(1)
for t in threads:
    if not t.is_alive() and t.ident is None:
        t.start()
# a moment for the connections opened just before the deadline to be taken in
time.sleep(max(0, deadline + 0.2 - time.monotonic()))
rss1, (own1, children1) = rss(server.pid), cpu(server.pid)
with lock:
    verified = sum(1 for r in results if r[1] in (201, 422))
# The stop signal with requests in flight: they are answered, and the server ends. A request
# sent after the signal (a client slow to see the deadline) may be refused: it is left out.
signalled = time.monotonic()
server.send_signal(signal.SIGTERM)
server.wait(timeout=300)
out = log()
for t in threads:
    t.join()
stopped = server.returncode
check(stopped == 0 and "stopped" in out, f"SIGTERM stops the server: {stopped} {out}")
after = [r for r in results if r[3] >= signalled]
results = [r for r in results if r[3] < signalled]
late = [r for r in results if r[3] + r[2] >= signalled]
check(all(r[1] for r in late), "a request in flight at the stop signal was not answered")

answered = [r for r in results if r[1]]
codes = {}
for r in results:
    codes[r[1]] = codes.get(r[1], 0) + 1
bad = [(r[0], r[1], r[5][:120]) for r in results if r[1] not in allowed[r[0]]]
check(not bad, f"{len(bad)} answers not allowed for their kind, e.g. {bad[:3]}")
accepted = [r for r in results if r[1] == 201]
check(any(r[0] == "new" for r in accepted), "no new replay was accepted")

# The same file again: every accepted entry listed, its replay as it was sent.
def kept(port, accepted):
    listed, offset, total = set(), 0, None
    while total is None or offset < total:
        code, answer, _ = request(port, "GET", f"/api/v1/scores?limit=1000&offset={offset}")
        table = json.loads(answer)
        total = table["total"]
        listed |= {e["replay"] for e in table["scores"]}
        offset += 1000
    missing = same = 0
    for r in accepted:
        for e in json.loads(r[5])["entries"]:
            if e["replay"] not in listed:
                missing += 1
            elif request(port, "GET", e["replay"])[:2] == (200, r[4]):
                same += 1
    entries = sum(len(json.loads(r[5])["entries"]) for r in accepted)
    return total, missing, entries - same - missing


server, port = start(db)
starts = 2
try:
    total, missing, changed = kept(port, accepted)
    lost = missing or changed
    check(not lost, f"after the restart {missing} accepted entries missing, {changed} replays changed")
    # kill -9 in the middle of a burst of new games: what was answered 201 is there afterwards
    burst = []
    with concurrent.futures.ThreadPoolExecutor(8) as pool:
        futures = [pool.submit(lambda d: (d, request(port, "POST", "/api/v1/replays", d)), body("new", 0, 0)[1]) for _ in range(8)]
        for _ in range(3000):         # until one is taken (or all answered), then the kill
            if any(f.done() and f.result()[1][0] == 201 for f in futures) or all(f.done() for f in futures):
                break
            time.sleep(0.01)
        server.kill()
        for f in futures:
            d, (code, answer, _) = f.result()
            burst.append(("new", code, 0, 0, d, answer))
    server.wait(timeout=300)
    server, port = start(db)
    starts = 3
    took = [r for r in burst if r[1] == 201]
    total9, missing9, changed9 = kept(port, accepted + took)
    killed = f"{len(took)} of 8 accepted before the kill, " + ("LOST ENTRIES" if missing9 or changed9 else "every one kept")
    check(not (missing9 or changed9), f"after kill -9 {missing9} accepted entries missing, {changed9} replays changed")
finally:
    server.send_signal(signal.SIGTERM)
    server.wait(timeout=300)

print(f"varnhold-server, {args.clients} clients posting for {args.seconds:g} s"
      f"{f', a pause of {args.pause:g} s after each answer' if args.pause else ''} on 127.0.0.1, "
      f"{args.workers or cores} verifiers{f', a queue of {args.queue}' if args.queue >= 0 else ''}, {cores} cores, SQLite; "
      f"load average before {load}")
refused = ", ".join(f"{c} x{n}" for c, n in sorted(codes.items()) if c not in (200, 201))
print(f"answers:   {len(answered)} ({len(answered) / args.seconds:.1f} a second); accepted (201) {codes.get(201, 0)}, "
      f"stored before (200) {codes.get(200, 0)}, refused {refused or 'none'}")
print(f"latency:   p50 {quantile([r[2] for r in answered], .5):.3f} s, p99 {quantile([r[2] for r in answered], .99):.3f} s")
cut = re.findall(r"cut off a connection.*", out)
if cut:
    print(f"cut off:   {len(cut)} connections too slow to send")
resets = [r for r in results if r[1] == 0]
if resets:
    print(f"no answer: {len(resets)}, e.g. at {resets[0][3] - begin:.2f} s after the start, after {resets[0][2]:.2f} s: {resets[0][5][:80]}")
honest = [r for r in answered if r[0] != "abuse"]
print(f"honest:    {len(honest)} answers, p50 {quantile([r[2] for r in honest], .5):.3f} s, "
      f"p99 {quantile([r[2] for r in honest], .99):.3f} s, max {max([r[2] for r in honest], default=0):.3f} s; "
      f"refused 429 x{sum(r[1] == 429 for r in honest)}, "
      f"503 x{sum(r[1] == 503 for r in honest)}")
verdicts = [r[2] for r in honest if r[0] in ("new", "digest") and r[1] in (201, 422)]
print(f"verdicts:  honest games played to a verdict: {len(verdicts)}, p50 {quantile(verdicts, .5):.3f} s, "
      f"max {max(verdicts, default=0):.3f} s")
if args.trickle:
    h = trickled["healthz"]
    print(f"trickle:   {args.trickle} connections from 127.0.0.2, {trickled['refused']} answered 503 at once; "
          f"/healthz x{len(h)}, p50 {quantile(h, .5):.3f} s, max {max(h, default=0):.3f} s")
if args.abusers:
    spent = sum(float(m) for m in re.findall(r"Z 10\.66\.\S+ POST \S+ \d+ \d+ bytes [\d.]+ s: .*?verified in ([\d.]+) s of CPU", out))
    played = [r for r in answered if r[0] == "abuse" and r[1] == 422]
    print(f"abuser:    {args.abusers} client(s), {args.abuser_connections} connection(s) each, {len(played)} games "
          f"played, verification CPU {spent:.1f} s in {args.seconds:g} s "
          f"({spent * 60 / args.seconds / args.abusers:.1f} s a minute each)")
for k in kinds + (["abuse"] if args.abusers else []):
    mine = [r for r in answered if r[0] == k]
    ks = {}
    for r in mine:
        ks[r[1]] = ks.get(r[1], 0) + 1
    print(f"  {k:8} {len(mine):5} answers {dict(sorted(ks.items()))}, p50 {quantile([r[2] for r in mine], .5):.3f} s, "
          f"p99 {quantile([r[2] for r in mine], .99):.3f} s")
# the playbacks' CPU: the children's, or (verified on the server's threads) the server's own
played = children1 - children0 if args.isolate else own1 - own0
each = played / max(verified, 1)
print(f"verifying: {verified} playbacks, {verified / args.seconds / cores:.2f} a second per core "
      f"({1 / max(each, 1e-9):.1f} if each had a core to itself), {each:.3f} s CPU each"
      f"{' (the server and its threads)' if not args.isolate else ''}; the server's own CPU {own1 - own0:.2f} s")
print(f"memory:    the server {mb(rss0)} at the start, {mb(rss1)} at the end; with its verifiers at most {mb(peak[0])}")
print(f"restart:   SIGTERM with {len(late)} requests in flight, {sum(1 for r in late if r[1])} of them answered"
      f"{f' ({len(after)} sent after it left out)' if after else ''}, exit {stopped}; on the same file "
      f"{len(accepted)} accepted replays, {total} entries listed, " + ("LOST ENTRIES" if lost else "every accepted entry kept"))
print(f"kill -9:   in a burst of 8 new games, {killed}")

if not args.quick:
    # The verifier alone: CPU of the child for the shortest and the longest game.
    def frames(name):
        return max(int(l.split()[1]) for l in readgame(name).split(b"\n") if l.startswith(b"end "))

    def verifycpu(name):
        best = None
        for _ in range(3):
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            with open(os.path.join(args.games, name), "rb") as f:
                answer = subprocess.run([args.server, "--verify-child"], stdin=f, capture_output=True, check=True).stdout
            check(answer.startswith(b"kind ok"), f"{name} is not verified alone: {answer[:200]}")
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            t = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
            best = t if best is None else min(best, t)
        return best

    byframes = sorted(games, key=frames)
    short, long = [(g, frames(g), verifycpu(g)) for g in (byframes[0], byframes[-1])]
    perframe = (long[2] - short[2]) / (long[1] - short[1])
    print(f"a game:    {long[0]} {long[1]} frames {long[2]:.2f} s CPU, {short[0]} {short[1]} frames {short[2]:.2f} s "
          f"(best of 3): {perframe * 1e6:.1f} us a frame after a start of {short[2] - perframe * short[1]:.2f} s; "
          f"a 10-minute game (36,000 frames) {short[2] + perframe * (36000 - short[1]):.2f} s CPU, scaled")

print("server load:", "failed" if failures else "passed")
sys.exit(1 if failures else 0)
