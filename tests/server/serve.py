#!/usr/bin/env python3
"""The score server as a player meets it: real varnhold-server processes on 127.0.0.1 sharing a
SQLite file (or the PostgreSQL database of the URL given), sent the test replays whole, damaged
and many times at once.
Usage: serve.py SERVER-EXECUTABLE REPLAY-FOLDER [POSTGRESQL-URL]"""
import concurrent.futures, glob, http.client, json, os, re, shlex, signal, socket, subprocess, sys, tempfile, time, urllib.request, urllib.error

server, replays = sys.argv[1], sys.argv[2]
work = tempfile.mkdtemp(prefix="varnhold-server-test-")
db = sys.argv[3] if len(sys.argv) > 3 else os.path.join(work, "scores.db")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def freeport():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


logs = []


def start(*extra, database=None):
    port = freeport()
    log = os.path.join(work, f"server-{port}.log")
    logs.append(log)
    p = subprocess.Popen([server, "--listen", f"127.0.0.1:{port}", "--db", database or db,
                          "--max-bytes", "1048576", "--web", "https://play.example/", *extra],
                         stdout=open(log, "w"), stderr=subprocess.STDOUT, text=True)
    p.log = log
    for _ in range(3000):             # until it says it listens, or ends
        if "listening" in logtext(p) or p.poll() is not None:
            break
        time.sleep(0.01)
    if "listening" not in logtext(p):
        sys.exit(f"the server did not start: {logtext(p)}")
    return p, f"http://127.0.0.1:{port}"


def logtext(p):
    with open(p.log, encoding="latin-1") as f:
        return f.read()


def stop(p):
    p.send_signal(signal.SIGTERM)
    p.wait(timeout=60)
    return logtext(p)


def call(base, path, body=None, method=None, headers={}):
    req = urllib.request.Request(base + path, data=body, method=method or ("POST" if body is not None else "GET"),
                                 headers=headers)
    try:
        with urllib.request.urlopen(req, timeout=120) as r:
            return r.status, r.read(), dict(r.headers)
    except urllib.error.HTTPError as e:
        return e.code, e.read(), dict(e.headers)
    except (ConnectionError, urllib.error.URLError) as e:
        return 0, str(e).encode(), {}


# The test replays name the data of the machine that recorded them (in format 2 the digest of
# its files' bytes); the pictures another machine's Qt makes may differ a little, not in what
# decides the world (the replays' own tests play them to the same world), so they are sent as
# this build writes a replay: format 3 with the digest of what the game takes from its data.
version = subprocess.run([server, "--version"], capture_output=True, text=True).stdout
ours = re.search(r"with data ([0-9a-f]{16})", version).group(1).encode()


def read(name):
    with open(os.path.join(replays, name), "rb") as f:
        text = re.sub(rb"\nvarnhold-replay 2\n", b"\nvarnhold-replay 3\n", f.read(), count=1)
        return re.sub(rb"\ndata [0-9a-f]{16}\n", b"\ndata " + ours + b"\n", text, count=1)


good = read("highscore.vhr")
# The name typed in the recorded game (Latin-1 "\xe5da").
typed = "\u00e5da"


def lines(b):
    return b.decode("latin-1").split("\n")


def moved(b):
    # the first left click (its press and release) a frame later
    out = lines(b)
    i = next(i for i, l in enumerate(out) if re.match(r"^\d+ \d+ down 1$", l))
    f = out[i].split(" ")[0]
    while out[i].startswith(f + " "):
        out[i] = str(int(f) + 1) + out[i][len(f):]
        i += 1
    return "\n".join(out).encode("latin-1")


def digest(b):
    out = lines(b)
    for i, l in enumerate(out):
        if l.startswith("check "):
            w = l.split(" ")
            w[2] = ("0" if w[2][0] != "0" else "1") + w[2][1:]
            out[i] = " ".join(w)
            break
    return "\n".join(out).encode("latin-1")


def renamed(b):
    # another letter typed into the name
    return re.sub(rb" char 229\n", b" char 230\n", b, count=1)


# the second verifies in child processes
p, base = start("--rate", "1000", "--workers", "2", "--queue", "2")
p2, base2 = start("--rate", "1000", "--workers", "1", "--queue", "2", "--isolate")
try:
    status, body, _ = call(base, "/healthz")
    check(status == 200, "healthz answers")

    # Its input changed, the game is refused by its playback (once it is stored, a copy with
    # other input that claims its world is that game: below).
    for name, data in [("moved input", moved(good)), ("changed name", renamed(good))]:
        status, body, _ = call(base, "/api/v1/replays", data)
        check(status == 422 and b"differs first" in body, f"{name}: {status} {body[:200]}")

    # A real game that ends in a name typed, sent six times at once to each of two servers on
    # one database: stored once, with the row the game made; the other answers are the same
    # entry (200) or a full queue (503).
    with concurrent.futures.ThreadPoolExecutor(12) as pool:
        got = list(pool.map(lambda i: call(base if i % 2 else base2, "/api/v1/replays", good), range(12)))
    statuses = sorted(g[0] for g in got)
    check(statuses.count(201) == 1 and set(statuses) <= {200, 201, 503}, f"the same game at once: {statuses}")
    entries = [json.loads(g[1])["entries"] for g in got if g[0] == 201][:1] or [[]]
    entries = entries[0]
    check(len(entries) == 1 and entries[0]["name"] == typed and entries[0]["rank"] == 1,
          f"its one row, named as typed, first: {entries}")
    status, body, _ = call(base2, "/api/v1/replays", good)
    check(status == 200 and json.loads(body)["entries"] == entries, f"sent again, it is the same entry: {status}")
    # The same game in other spellings: the same entry, stored before.
    text = good.decode("latin-1")
    seed = re.search(r"\nseed (\d+)\n", text).group(1)
    spellings = {
        "comment and CRLF": ("# sent again\n" + text).replace("\n", "\r\n"),
        "blank lines": text.replace("\nevents\n", "\n\n\nevents\n"),
        "seed 0" + seed: text.replace(f"\nseed {seed}\n", f"\nseed 0{seed}\n"),
        "a long comment": text + "#" + "x" * 200000 + "\n",
        # neither decides anything in the world
        "another window": re.sub(r"\nwindow [^\n]*\n", "\nwindow 241 300 1024 600\n", text, count=1),
        "another volume": re.sub(r"\nvolume \d+\n", "\nvolume 4\n", text, count=1),
        # copies with other input that claim the stored game's world: that game, nothing added
        "moved input": moved(good).decode("latin-1"),
        "changed name": renamed(good).decode("latin-1"),
    }
    for name, t in spellings.items():
        status, body, _ = call(base, "/api/v1/replays", t.encode("latin-1"))
        check(status == 200 and b'"stored before"' in body and json.loads(body)["entries"] == entries,
              f"{name}: the same game, stored before: {status} {body[:200]}")
    stop(p2)

    # Damaged, changed and foreign replays: each its answer, and the table untouched.
    cases = [
        ("fight", read("fight.vhr"), 422, "no high-score row"),
        ("changed digest", digest(read("fight.vhr")), 422, "differs first"),
        # the stored game with a wrong checkpoint: its inputs make the same game, already stored
        ("stored game, changed digest", digest(good), 200, "stored before"),
        ("cut file", good[: len(good) // 2], 400, "cut short"),
        ("garbage", bytes(range(256)) * 4, 400, "cut short"),
        ("huge", b"#" * (2 << 20), 413, "too large"),
        ("other version", good.replace(b"\nprogram ", b"\nprogram 0.", 1), 422, "recorded by version"),
        ("other data files", re.sub(rb"\ndata [0-9a-f]{16}\n", b"\ndata 0123456789abcdef\n", good), 422, "other pictures"),
    ]
    for name, data, want, text in cases:
        status, body, _ = call(base, "/api/v1/replays", data)
        check(status == want and text.encode() in body, f"{name}: {status} {body[:200]}")
    for name, method, headers, want, text in [
            ("an empty body", "POST", {}, 400, "no replay"),
            ("a form in capitals", "POST", {"Content-Type": "MULTIPART/FORM-DATA; boundary=x"}, 415, "the replay itself"),
            ("PUT", "PUT", {}, 405, "POST"), ("PATCH", "PATCH", {}, 405, "POST")]:
        status, body, _ = call(base, "/api/v1/replays", b"", method=method, headers=headers)
        check(status == want and text.encode() in body and body.startswith(b"{"), f"{name}: {status} {body[:200]}")
    # a body sent with another method, and a request line that is no HTTP: one log line each
    call(base, "/api/v1/replays", b"line\n" * 4, method="PUT")
    with socket.create_connection(("127.0.0.1", int(base.rsplit(":", 1)[1]))) as raw:
        raw.sendall(b"PUT /api/v1/replays HTTP/1.1\r\nHost: x\r\nContent-Length: 20\r\nExpect: 100-continue\r\n\r\n")
        check(raw.recv(100).startswith(b"HTTP/1.1 100"), "a PUT that waits to send its body is let send it")
        raw.sendall(b"line\n" * 4)
        got = b""
        while b"POST" not in got and len(got) < 4000:
            got += raw.recv(4000) or b"POST"
        check(b" 405 " in got, f"a PUT with a body is answered 405: {got[:300]}")
    with socket.create_connection(("127.0.0.1", int(base.rsplit(":", 1)[1]))) as raw:
        raw.sendall(b"not a request at all\r\n\r\n")
        check(raw.recv(100).startswith(b"HTTP/1.1 400"), "a request line that is no HTTP is answered 400")
    status, body, _ = call(base, "/api/v1/scores?offset=" + "9" * 1000)
    check(status == 400 and len(body) < 200 and b"1000000000" in body, f"a huge offset: {status} {body[:200]}")
    status, _, headers = call(base, "/")
    check("default-src" in headers.get("Content-Security-Policy", ""), f"the page's Content-Security-Policy: {headers}")

    status, body, _ = call(base, "/api/v1/scores?limit=10&offset=0")
    table = json.loads(body)
    check(status == 200 and table["total"] == 1 and [e["name"] for e in table["scores"]] == [typed],
          f"the table holds the one row: {table}")
    check(call(base, "/api/v1/scores?limit=0")[0] == 400, "a limit of 0 is refused")
    status, body, _ = call(base, entries[0]["replay"] if entries else "/api/v1/replays/1")
    check(status == 200 and body == good, "the stored replay is the one sent")
    check(call(base, "/api/v1/replays/../../etc/passwd")[0] == 404, "no path from a request")
    status, body, _ = call(base, "/")
    page = body.decode()
    check(status == 200 and "<td>\u00e5da</td>" in page and "https://play.example/?replay=" in page, "the HTML page lists it")
finally:
    if p2.poll() is None:
        p2.kill()
        p2.wait()
    # SIGTERM while a replay is being verified: its answer still comes, a request that comes
    # later is told to come back, then the server ends.
    def verifiercpu():   # CPU ticks of the server's verifier threads
        ticks = 0
        for task in glob.glob(f"/proc/{p.pid}/task/*"):
            try:
                if open(task + "/comm").read().strip() == "verifier":
                    ticks += sum(int(x) for x in open(task + "/stat").read().rsplit(")", 1)[1].split()[11:13])
            except OSError:
                pass
        return ticks
    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        before = verifiercpu()
        # a game not sent before (one refused before is answered again without a playback)
        inflight = pool.submit(call, base, "/api/v1/replays", moved(read("fight.vhr")))
        for _ in range(500):              # until a verifier plays it
            if verifiercpu() > before or inflight.done():
                break
            time.sleep(0.01)
        p.send_signal(signal.SIGTERM)
        time.sleep(0.02)
        late = call(base, "/healthz")
        check(late[0] == 503 and late[2].get("Retry-After") == "10", f"a request after the signal: {late[:2]}")
        check(inflight.result()[0] == 422, f"the request in progress is answered: {inflight.result()[0]}")
    p.wait(timeout=60)
    out = "".join(open(log, encoding="latin-1").read() for log in logs)
    check(p.returncode == 0 and "stopped" in out, f"SIGTERM stops the server: {p.returncode} {out[-2000:]}")
    # one line per request: who, what, the answer, its size and time; a replay's verdict and CPU
    check(re.search(r"Z 127\.0\.0\.1 POST /api/v1/replays 201 \d+ bytes [\d.]+ s: accepted \(verified in [\d.]+ s of CPU\)", out),
          "the log has a line for the accepted replay")
    check(re.search(r"POST /api/v1/replays 422 \d+ bytes [\d.]+ s: the game does not play as recorded", out),
          "the log says why a replay was refused")
    # the copies of a game sent at once are logged as what they were: one accepted, played once
    check(not re.search(r"POST /api/v1/replays 200 .*: accepted", out) and
          len(re.findall(r"POST /api/v1/replays 201 .*: accepted \(verified in", out)) == 1,
          "one copy logged accepted, with the playback's CPU")
    check(len(re.findall(r" (GET|POST|PUT|PATCH) /", out)) >= 30, "a line for every request")
    requests = [l for l in out.split("\n") if " bytes " in l]
    bad = [l for l in requests if not re.match(r"^\S+Z 127\.0\.0\.1 \S+ \S+ \d{3} \d+ bytes (\d+)\.\d+ s", l)
           or int(re.search(r" (\d+)\.\d+ s", l).group(1)) > 60]
    check(not bad, f"every request's line names its client and a duration it took: {bad[:3]}")
    check(len([l for l in requests if " PUT " in l]) == 3, "one line for each PUT")
    check(re.search(r"127\.0\.0\.1 \S+ - 400 ", out), "the request that is no HTTP has its line")

# One address sending too much, a client behind a trusted proxy counted apart, and the table
# kept across a restart.
p, base = start("--rate", "2", "--trusted-proxy", "127.0.0.1")
try:
    got = [call(base, "/api/v1/replays", b"garbage\n")[0] for _ in range(4)]
    check(got[:2] == [400, 400] and got[3] == 429, f"the third replay in a minute waits: {got}")
    got = call(base, "/api/v1/replays", b"garbage\n", headers={"X-Forwarded-For": "203.0.113.5, 198.51.100.7"})[0]
    check(got == 400, f"the proxy's client has its own count: {got}")
    status, body, _ = call(base, "/api/v1/scores")
    check(json.loads(body)["total"] == 1, "the entry survives a restart")
finally:
    stop(p)

# The options the systemd unit starts the server with: the operator's file, one variable. With
# them a reverse proxy on the loopback address has each player it names in X-Forwarded-For
# counted apart, and the header from any other peer (127.0.0.2 here) counts for nothing.
packaging = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "packaging")
with open(os.path.join(packaging, "varnhold-server.service")) as f:
    unit = f.read()
envfile = re.findall(r"^EnvironmentFile=(.*)$", unit, re.M)
execstart = re.findall(r"^ExecStart=/usr/games/varnhold-server \$(\w+)$", unit, re.M)
check(envfile == ["/etc/default/varnhold-server"] and len(execstart) == 1,
      f"the unit starts the server with the options of /etc/default/varnhold-server: {envfile} {execstart}")
with open(os.path.join(packaging, "varnhold-server.default")) as f:
    value = re.findall(r'^%s="(.*)"$' % (execstart or ["VARNHOLD_SERVER_OPTIONS"])[0], f.read(), re.M)
check(len(value) == 1, "the operator's file sets the unit's variable once")
options, i = [], 0
words = shlex.split(value[0] if value else "")
while i < len(words):                 # the port and the database are this test's own
    if words[i] in ("--listen", "--db"):
        i += 2
    else:
        options.append(words[i])
        i += 1


def post(port, forwarded, source="127.0.0.1"):
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=60, source_address=(source, 0))
    try:
        c.request("POST", "/api/v1/replays", b"garbage\n", {"X-Forwarded-For": forwarded})
        return c.getresponse().status
    finally:
        c.close()


p, base = start("--rate", "2", *options)
try:
    port = int(base.rsplit(":", 1)[1])
    got = [post(port, f) for f in ("198.51.100.1", "198.51.100.1", "192.0.2.9, 198.51.100.1", "198.51.100.2")]
    check(got == [400, 400, 429, 400], f"behind the proxy each player has their own limit, by the address it added: {got}")
    got = [post(port, f, "127.0.0.2") for f in ("198.51.100.3", "198.51.100.4", "198.51.100.5")]
    check(got == [400, 400, 429], f"the header from a peer that is no trusted proxy is ignored: {got}")
    out = stop(p)
    check(re.search(r"Z 198\.51\.100\.2 POST /api/v1/replays 400", out) and re.search(r"Z 127\.0\.0\.2 POST", out)
          and not re.search(r"Z 198\.51\.100\.[345] ", out), "the log names each request's client")
finally:
    if p.poll() is None:
        stop(p)

# A second server on a port one serves refuses to start, naming the port; a PostgreSQL
# password given in any form never reaches the output.
p, base = start()
try:
    port = base.rsplit(":", 1)[1]
    second = subprocess.run([server, "--listen", f"127.0.0.1:{port}", "--db", os.path.join(work, "other.db")],
                            capture_output=True, text=True, timeout=60)
    check(second.returncode != 0 and f"port {port} is in use" in second.stderr,
          f"a second server on the same port: {second.returncode} {second.stderr[-300:]}")
    check(call(base, "/healthz")[0] == 200, "the first server answers on")
finally:
    stop(p)
for argv in (["--db", "host=/nonexistent dbname=x password=hunter2"],
             ["--db", "host=/nonexistent password = 'hunter2' dbname=x"],
             ["--db", "postgresql://u:hunter2@/x?host=/nonexistent"],
             ["--db", "host=/nonexistent", "password=hunter2"],
             ["--db-seconds", "0", "--db", "host=/x password=hunter2"]):
    got = subprocess.run([server, "--listen", "127.0.0.1:1", *argv], capture_output=True, text=True, timeout=60, cwd=work)
    check(got.returncode != 0 and "hunter2" not in got.stdout + got.stderr and got.stderr,
          f"{argv}: {got.returncode} {got.stderr[:300]}")
check(not [f for f in os.listdir(work) if "host=" in f], "libpq's keyword form makes no SQLite file")

# A flood: 600 connections from one address (127.0.0.2) that trickle their headers a byte at a
# time, opened again as soon as they are closed. Beyond the address's limit they are answered
# 503 at once; /healthz and the page, from another address, answer within 2 s meanwhile.
p, base = start("--client-connections", "16")
flood = []
try:
    port = int(base.rsplit(":", 1)[1])

    def connect():
        c = socket.socket()
        c.bind(("127.0.0.2", 0))
        c.settimeout(5)
        c.connect(("127.0.0.1", port))
        c.setblocking(False)
        return c
    flood = [connect() for _ in range(600)]
    done = time.monotonic() + 8
    slowest, refused, rounds = 0.0, 0, 0
    while time.monotonic() < done:
        for k, c in enumerate(flood):
            try:
                got = c.recv(200)
                refused += got.startswith(b"HTTP/1.1 503")
                if not got or got.startswith(b"HTTP/1.1 503"):
                    raise OSError
            except BlockingIOError:
                pass
            except OSError:
                c.close()
                flood[k] = connect()
                continue
            try:
                c.send(b"G")
            except OSError:
                pass
        rounds += 1
        for path in ("/healthz", "/"):
            t0 = time.monotonic()
            status, _, _ = call(base, path)
            slowest = max(slowest, time.monotonic() - t0)
            check(status == 200, f"{path} beside the flood: {status}")
    check(refused >= 500, f"connections over the address's limit are answered 503: {refused}")
    check(slowest < 2, f"/healthz and the page beside 600 trickling connections: {slowest:.2f} s at worst")
    print(f"beside the flood: {rounds} rounds, {refused} connections refused, the slowest answer {slowest:.2f} s")
finally:
    for c in flood:
        c.close()
    out = stop(p)
    check("refused connections over a client's limit of 16" in out, "the log counts the connections refused")

# Slow clients: 40 connections sending their headers a byte at a time hold no thread for long.
# /healthz answers meanwhile, and each is cut off at its header deadline.
p, base = start("--header-seconds", "2", "--connections", "64", "--client-connections", "64")
try:
    port = int(base.rsplit(":", 1)[1])
    slow = [socket.create_connection(("127.0.0.1", port)) for _ in range(40)]
    request = b"GET /healthz HTTP/1.1\r\nHost: x\r\nX-Slow: " + b"y" * 1000
    status, body, _ = call(base, "/healthz")
    check(status == 200 and b'"database":"ok"' in body, f"/healthz beside the slow clients: {status} {body}")
    open_ = set(range(len(slow)))
    for i in range(400):              # a byte to each every 0.05 s, until each is cut off (at most 20 s)
        for k in list(open_):
            try:
                slow[k].send(request[i:i + 1])
            except OSError:
                open_.discard(k)
        if not open_:
            break
        time.sleep(0.05)
    check(not open_, f"{len(open_)} slow clients were not cut off")
    status, _, _ = call(base, "/healthz")
    check(status == 200, "the server answers after them")
finally:
    for c in slow:
        c.close()
    out = stop(p)
    check("cut off a connection that sent too slowly (40 so far)" in out, "the log counts the slow clients")

# The database out of reach (a PostgreSQL cluster stopped and started again by the commands
# of $PGSTOP and $PGSTART): a replay is answered 503 with Retry-After and a plain reason,
# /healthz says so, and once the database is back the same replay is taken.
if len(sys.argv) > 3 and os.environ.get("PGSTOP"):
    p, base = start("--rate", "1000")
    try:
        subprocess.run(os.environ["PGSTOP"], shell=True, check=True)
        status, body, headers = call(base, "/api/v1/replays", b"# the database is away\n" + good)
        check(status == 503 and "Retry-After" in headers and b"out of reach" in body and b"connection" not in body,
              f"a replay while the database is away: {status} {body[:300]}")
        status, body, headers = call(base, "/healthz")
        check(status == 503 and b"unreachable" in body, f"/healthz while the database is away: {status} {body}")
        subprocess.run(os.environ["PGSTART"], shell=True, check=True)
        status, body, _ = call(base, "/healthz")
        check(status == 200, f"/healthz once the database is back: {status} {body}")
        status, body, _ = call(base, "/api/v1/replays", b"# the database is back\n" + good)
        check(status == 200 and b"stored before" in body, f"the replay sent again: {status} {body[:300]}")
        print("the database stopped and started again: answered 503, then taken")
    finally:
        out = stop(p)
        check("cause: database:" in out, "the log has the database's own words")
        check("hunter2" not in out, "no password in the log")

# The database hung: the backend serving the server's connection stopped (SIGSTOP). /healthz
# says so within a second, a replay is answered 503 with Retry-After within --db-seconds and
# a margin, the page is the last copy read (and says so); continued, the server recovers.
if len(sys.argv) > 3 and os.environ.get("PGSTOP"):
    def backends():   # the processes serving connections of the user "varnhold"
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                if open(f"/proc/{pid}/cmdline", "rb").read().startswith(b"postgres: varnhold "):
                    found.append(int(pid))
            except OSError:
                pass
        return found
    before = set(backends())
    p, base = start("--db-seconds", "2")
    hung = []
    try:
        check(call(base, "/")[0] == 200, "the page while the database answers")
        hung = [pid for pid in backends() if pid not in before]
        check(len(hung) == 1, f"the server's one backend: {hung}")
        for pid in hung:
            os.kill(pid, signal.SIGSTOP)
        t0 = time.monotonic()
        status, body, headers = call(base, "/api/v1/replays", b"# the database hangs\n" + good)
        took = time.monotonic() - t0
        check(status == 503 and "Retry-After" in headers and took < 2 + 3, f"a replay while the database hangs: {status} {took:.1f} s {body[:200]}")
        print(f"the database hung: a replay answered {status} in {took:.1f} s")
        for path, want, text in (("/healthz", 503, b'"database":"not answering"'), ("/", 200, b"this is the table as it was at")):
            t0 = time.monotonic()
            status, body, _ = call(base, path)
            took = time.monotonic() - t0
            check(status == want and text in body and took < 1, f"{path} while the database hangs: {status} {took:.2f} s {body[:300]}")
        for pid in hung:
            os.kill(pid, signal.SIGCONT)
        hung = []
        for _ in range(400):              # until it answers again (at most about 40 s)
            status, body, _ = call(base, "/healthz")
            if status == 200:
                break
            time.sleep(0.1)
        check(status == 200, f"/healthz once the database is continued: {status} {body}")
        status, body, _ = call(base, "/api/v1/replays", b"# the database answers again\n" + good)
        check(status == 200 and b"stored before" in body, f"the replay sent again: {status} {body[:300]}")
        status, body, _ = call(base, "/")
        check(status == 200 and b"as it was at" not in body, "the page read afresh")
    finally:
        for pid in hung:
            os.kill(pid, signal.SIGCONT)
        out = stop(p)
        check("cause: database:" in out, "the log has the database's own words")

subprocess.run(["rm", "-rf", work])
print("server tests:", "failed" if failures else "passed")
sys.exit(1 if failures else 0)
