// server/verifier.cpp — the checks before a playback, the playback in this thread's world, and the
// pool of verifiers that run it: threads of this process, or child processes.
#include "server/verifier.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <ctime>
#include <deque>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/datadigest.h"
#include "app/replay.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/platform.h"

extern char** environ;

namespace {

tverified refusal(tverified::tkind kind, const std::string& reason, int line = 0) {
    tverified v;
    v.kind = kind;
    v.reason = reason;
    v.line = line;
    return v;
}

// A playback stopped at the time limit.
tverified toolate(int seconds) {
    tverified v = refusal(tverified::refused, "the replay took longer than " + std::to_string(seconds) + " s to verify");
    v.late = true;
    return v;
}

bool same(const treplayrow& a, const treplayrow& b) {
    return a.name == b.name && a.level == b.level && a.score == b.score;
}

const char* const kindnames[] = {"ok", "damaged", "refused", "failed"};

std::string hex(const std::string& s) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string unhex(const std::string& s) {
    std::string out;
    for (size_t i = 0; i + 1 < s.size(); i += 2) out += static_cast<char>(std::stoi(s.substr(i, 2), nullptr, 16));
    return out;
}

}  // namespace

std::vector<treplayrow> newrows(const treplayrow (&before)[10], const treplayrow (&after)[10]) {
    bool used[10] = {};
    std::vector<treplayrow> made;
    for (const treplayrow& a : after) {
        int i = 0;
        while (i < 10 && (used[i] || !same(before[i], a))) i++;
        if (i < 10) used[i] = true;
        else made.push_back(a);
    }
    return made;
}

tverified precheck(const std::string& text, const std::string& program, const tdatadigests& data, int maxframes,
                   treplay* out) {
    treplayread got = parsereplay(text, "");
    if (!got.error.empty()) return refusal(tverified::damaged, got.error, got.line);
    const treplay& r = got.replay;
    if (r.program != program)
        return refusal(tverified::refused, "recorded by version " + r.program + ", this server plays " + program);
    // format 2 (1.1.0) names the data files' bytes, later formats what the game took from them
    uint64_t expected = r.format == 2 ? data.bytes : data.content;
    if (r.data != expected) {
        char theirs[20], ours[20];
        std::snprintf(theirs, sizeof theirs, "%016llx", static_cast<unsigned long long>(r.data));
        std::snprintf(ours, sizeof ours, "%016llx", static_cast<unsigned long long>(expected));
        return refusal(tverified::refused, r.data == 0 ? std::string("recorded without the digest of its data files")
                                                       : std::string("played with other pictures, sounds or texts (data ") +
                                                             theirs + ") than this server's (" + ours + ")");
    }
    if (r.end.frame > maxframes)
        return refusal(tverified::refused, "a game of " + std::to_string(r.end.frame) + " frames: this server plays at most " +
                                               std::to_string(maxframes));
    // every checkpoint, at most ten seconds apart: a made-up game is found out within them
    int lastcheck = r.checks.empty() ? 0 : r.checks.back().frame;
    if (r.checkevery > 600 || r.end.frame - lastcheck > r.checkevery)
        return refusal(tverified::refused, "a replay carries the world's digest at least every 600 frames, up to its end");
    std::string pace = pacecheck(r);
    if (!pace.empty()) return refusal(tverified::refused, pace);
    if (out) *out = r;
    tverified v;
    v.kind = tverified::ok;
    return v;
}

namespace {

// Whether frames may stop after this event: a suspend (the page hidden: no animation frames)
// or the Help box (the desktop's box holds the frame timer while it is open).
bool framesmaystop(const treplayevent& e) {
    return e.id == EVENT_APPSUSPEND || (e.id == EVENT_MENUACTION && e.data == 7);
}

}  // namespace

tpace pacegrowth(const treplay& r, int hitch) {
    tpace worst;
    const std::vector<treplayevent>& ev = r.events;
    const double frame = 1000.0 / 60;
    // The events after frame 0 (the clock starts before the first frame), each with its clock
    // and lead less the time excused before them. After a suspend or a Help box that is the
    // clock of the rest of its frame (no frame ran: the box open up to the events that waited
    // for it), and of the time from there to the first event of a later frame (a hidden page's
    // resume, after the frames it caught up) what frames `pacestall` slower than normal would
    // not explain. The events of that frame are not judged.
    std::vector<int> ticks;
    std::vector<double> clocks, leads;
    double excused = 0;
    const size_t none = ev.size();
    size_t stop = none, last = none;   // the event that may have stopped the frames, the last of its frame
    for (size_t i = 0; i < ev.size(); i++) {
        if (stop != none && ev[i].tick > ev[stop].tick) {
            double after = ev[i].clock - ev[last].clock - (ev[i].tick - ev[last].tick) * frame * (1 + pacestall);
            excused += ev[last].clock - ev[stop].clock + std::max(0.0, after);
            stop = none;
        }
        if (stop != none) {
            last = i;
            continue;
        }
        if (framesmaystop(ev[i])) stop = last = i;
        if (ev[i].tick == 0) continue;
        ticks.push_back(ev[i].tick);
        clocks.push_back(ev[i].clock - excused);
        leads.push_back(ev[i].clock - ev[i].tick * frame - excused);
    }
    // each event's floor: the least lead within `hitch` ms of that clock after it (a window
    // from the last event back, with the leads in order of size)
    std::vector<double> floor(leads.size());
    std::deque<size_t> window;   // indices; leads falling towards the back
    for (size_t k = leads.size(); k-- > 0;) {
        while (!window.empty() && leads[window.front()] >= leads[k]) window.pop_front();
        window.push_front(k);
        while (clocks[window.back()] > clocks[k] + hitch) window.pop_back();
        floor[k] = leads[window.back()];
    }
    double least = 0;
    for (size_t k = 0; k < floor.size(); k++) {
        if (k == 0 || floor[k] < least) least = floor[k];
        int growth = static_cast<int>(floor[k] - least);
        if (growth > worst.growth) worst = {growth, ticks[k]};
    }
    return worst;
}

std::string pacecheck(const treplay& r, int tolerance) {
    tpace p = pacegrowth(r);
    if (p.growth <= tolerance) return "";
    return "played slower than real time: by frame " + std::to_string(p.frame) + " the frames have fallen " +
           std::to_string(p.growth) + " ms behind 60 a second, and they do not catch up";
}

double verifycost(const treplay& r, double start) { return start + r.end.frame * 12e-6; }

tverified verifyhere(const std::string& text, const tdatadigests& data, int maxframes, int seconds, const std::function<double()>& between) {
    EnterThread();
    treplay r;
    tverified v = precheck(text, programversion(), data, maxframes, &r);
    if (v.kind != tverified::ok) return v;
    std::string problem = startplayback(r, "the replay", false);
    if (!problem.empty())
        return refusal(problem.rfind("Can't load ", 0) == 0 ? tverified::failed : tverified::refused, problem);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int frames = 0;
    bool late = false, stopped = false;
    treplayverdict pv = playtoend(true, [&] {
        // the clock is read every 256 frames: a frame takes microseconds
        if ((++frames & 255) != 0) return false;
        if (between) {
            double waited = between();
            if (waited < 0) return stopped = true;
            deadline += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(waited));
        }
        if (seconds > 0 && std::chrono::steady_clock::now() > deadline) late = true;
        return late;
    });
    stopplayback();
    if (stopped) return refusal(tverified::failed, "the playback gave its place to another");
    if (late) return toolate(seconds);
    if (!pv.same) {
        std::string where = pv.firstframe >= 0 ? "at frame " + std::to_string(pv.firstframe)
                            : pv.firstcheck >= 0 ? "at a frame from " + std::to_string(pv.lastgood + 1) + " to " +
                                                       std::to_string(pv.firstcheck)
                                                 : "at the end, frame " + std::to_string(r.end.frame);
        return refusal(tverified::refused, "the game does not play as recorded: the world differs first " + where);
    }
    treplayrow after[10];
    for (int i = 0; i < 10; i++)
        after[i] = {world->level.hiscore[i].name, world->level.hiscore[i].level, world->level.hiscore[i].score};
    v.rows = newrows(r.settings.rows, after);
    // a daily game counts in its day's table whatever it scored
    if (!r.daily.empty()) {
        v.daily = r.daily;
        v.dayrow = pv.dailyresult;
    }
    if (v.rows.empty() && v.daily.empty()) return refusal(tverified::refused, "the game made no high-score row");
    return v;
}

std::string verifiedtext(const tverified& v) {
    std::string out = std::string("kind ") + kindnames[v.kind] + "\nline " + std::to_string(v.line) + "\n";
    std::string reason = v.reason;
    for (char& c : reason)
        if (c == '\n' || c == '\r') c = ' ';
    out += "reason " + reason + "\n";
    for (const treplayrow& row : v.rows)
        out += "row " + std::to_string(row.level) + " " + std::to_string(row.score) + " " + hex(row.name) + "\n";
    if (!v.daily.empty())
        out += "daily " + v.daily + " " + std::to_string(v.dayrow.level) + " " + std::to_string(v.dayrow.score) + " " +
               hex(v.dayrow.name) + "\n";
    return out;
}

tverified readverified(const std::string& text) {
    tverified v = refusal(tverified::failed, "the verifier gave no answer");
    bool kind = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find('\n', at);
        if (nl == std::string::npos) break;   // a cut answer ends here
        std::string line = text.substr(at, nl - at);
        at = nl + 1;
        if (line.rfind("kind ", 0) == 0) {
            for (int k = 0; k < 4; k++)
                if (line.substr(5) == kindnames[k]) {
                    v.kind = static_cast<tverified::tkind>(k);
                    kind = true;
                }
        } else if (line.rfind("line ", 0) == 0) {
            v.line = std::atoi(line.c_str() + 5);
        } else if (line.rfind("reason ", 0) == 0) {
            v.reason = line.substr(7);
        } else if (line.rfind("row ", 0) == 0) {
            treplayrow row;
            char name[128] = {};
            if (std::sscanf(line.c_str() + 4, "%d %d %127s", &row.level, &row.score, name) >= 2) {
                row.name = unhex(name);
                v.rows.push_back(row);
            }
        } else if (line.rfind("daily ", 0) == 0) {
            char day[16] = {}, name[128] = {};
            if (std::sscanf(line.c_str() + 6, "%10s %d %d %127s", day, &v.dayrow.level, &v.dayrow.score, name) >= 3) {
                v.daily = day;
                v.dayrow.name = unhex(name);
            }
        }
    }
    if (!kind) return refusal(tverified::failed, "the verifier gave no answer");
    return v;
}

tverifierpool::tverifierpool(std::vector<std::string> command_, int workers_, int queue_, int seconds_, int maxframes_,
                             tdatadigests data_)
    : command(std::move(command_)), workers(workers_), queue(queue_), seconds(seconds_), maxframes(maxframes_), data(data_) {}

tverifierpool::~tverifierpool() {
    {
        std::lock_guard<std::mutex> lock(m);
        closing = true;
    }
    posted.notify_all();
    for (std::thread& t : threads) t.join();
}

namespace {

double threadcpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

// A verifier thread: it plays the replays handed to it, each in its world, and stops between
// frames to hand its turn over.
void tverifierpool::verifier() {
    pthread_setname_np(pthread_self(), "verifier");
    std::unique_lock<std::mutex> lock(m);
    for (;;) {
        idle++;
        posted.wait(lock, [&] { return closing || !jobs.empty(); });
        idle--;
        if (jobs.empty()) return;
        tjob* job = jobs.front();
        jobs.pop_front();
        lock.unlock();
        double first = threadcpu(), last = first;
        tverified v = verifyhere(*job->text, data, maxframes, seconds, [&] {
            double t = threadcpu();
            double waited = between(*job->w, t - last);
            last = threadcpu();
            return waited;
        });
        v.cpu = threadcpu() - first;   // waiting for its turn took none
        lock.lock();
        job->v = std::move(v);
        job->done = true;
        finished.notify_all();
    }
}

tverified tverifierpool::run(const std::string& text, twaiter& w) {
    if (!command.empty()) return runchild(text, w);
    tjob job{&text, &w, {}};
    std::unique_lock<std::mutex> lock(m);
    jobs.push_back(&job);
    // a thread for every playback that has started and not ended, paused ones too
    if (idle < static_cast<int>(jobs.size())) threads.emplace_back([this] { verifier(); });
    posted.notify_one();
    finished.wait(lock, [&] { return job.done; });
    return job.v;
}

double tverifierpool::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The client's CPU lately, halved every `halflife` seconds, at the time `t` (under the lock).
double tverifierpool::usedby(const std::string& client, double t) {
    tclient& c = clients[client];
    if (t > c.at) {
        c.used *= std::exp2(-(t - c.at) / halflife);
        c.at = t;
    }
    return c.used;
}

double tverifierpool::used(const std::string& client) {
    std::lock_guard<std::mutex> lock(m);
    return usedby(client, now());
}

// Whether a waiting replay may take a free verifier: long games on at most half of them.
bool tverifierpool::eligible(const twaiter& w) const {
    return w.cost <= longgame || runninglong < std::max(1, workers / 2);
}

bool tverifierpool::verify(const std::string& text, const std::string& client, double cost, tverified& v) {
    twaiter me{client, now() + 2 * cost, cost};
    {
        std::unique_lock<std::mutex> lock(m);
        if (clients.size() > 10000) {   // forget the clients that have nothing left
            for (auto i = clients.begin(); i != clients.end();)
                i = i->second.places == 0 && usedby(i->first, now()) < 1e-3 ? clients.erase(i) : std::next(i);
        }
        if (running >= workers && static_cast<int>(waiting.size()) >= queue) {
            // the one that gives its place: a costlier one that comes later, or one of a client
            // holding more places than the newcomer's; the last of the client that holds most
            int mine = clients[client].places;
            auto gives = [&](const twaiter* w) {
                return (w->order > me.order && w->cost > 2 * cost) ||
                       (w->client != client && clients[w->client].places > mine + 1);
            };
            auto later = [&](const twaiter* a, const twaiter* b) {
                int pa = clients[a->client].places, pb = clients[b->client].places;
                return pa != pb ? pa < pb : a->order < b->order;
            };
            auto last = waiting.end();
            for (auto i = waiting.begin(); i != waiting.end(); ++i)
                if (gives(*i) && (last == waiting.end() || later(*last, *i))) last = i;
            if (last == waiting.end()) return false;
            (*last)->out = true;
            clients[(*last)->client].places--;
            waiting.erase(last);
            freed.notify_all();
        }
        clients[client].places++;
        waiting.push_back(&me);
        next();
        freed.wait(lock, [&] { return me.go || me.out; });
        if (me.out) return false;
    }
    v = run(text, me);
    std::lock_guard<std::mutex> lock(m);
    // what the stretches left uncharged: the last one, a child's exit
    if (v.cpu > me.charged) clients[client].used = usedby(client, now()) + v.cpu - me.charged;
    if (me.out) return false;   // its place was given away while it was paused
    clients[client].places--;
    running--;
    if (cost > longgame) runninglong--;
    next();
    return true;
}

int tverifierpool::playing() {
    std::lock_guard<std::mutex> lock(m);
    return running;
}

int tverifierpool::queued() {
    std::lock_guard<std::mutex> lock(m);
    return static_cast<int>(waiting.size());
}

// Lets the waiting ones play while verifiers are free (under the lock): the one of the client
// that used least, then the earliest by order.
void tverifierpool::next() {
    bool any = false;
    double t = now();   // one time for all: the clients compare as they stand
    while (running < workers) {
        auto first = waiting.end();
        double least = 0;
        for (auto i = waiting.begin(); i != waiting.end(); ++i) {
            if (!eligible(**i)) continue;
            double u = usedby((*i)->client, t);
            if (first == waiting.end() || u < least || (u == least && (*i)->order < (*first)->order)) {
                first = i;
                least = u;
            }
        }
        if (first == waiting.end()) break;
        twaiter& w = **first;
        w.go = true;
        w.playing = true;
        w.stretch = 0;
        if (w.cost > longgame) runninglong++;
        waiting.erase(first);
        running++;
        any = true;
    }
    if (any) freed.notify_all();
}

double tverifierpool::between(twaiter& w, double cpu, const std::function<void()>& pause,
                              const std::function<void()>& resume) {
    std::unique_lock<std::mutex> lock(m);
    double t = now();
    double mine = usedby(w.client, t) + cpu;
    clients[w.client].used = mine;
    w.charged += cpu;
    w.stretch += cpu;
    // a stretch of at least a few milliseconds, so that two clients alike do not trade turns
    // at every check
    if (w.stretch < 0.02 || !w.playing) return 0;
    bool yield = false;
    for (const twaiter* o : waiting) {
        // it may take the verifier this one leaves: a long game only where the long ones' half allows
        bool fits = o->cost <= longgame || w.cost > longgame || runninglong < std::max(1, workers / 2);
        if (o->client != w.client && fits && usedby(o->client, t) + turn < mine) yield = true;
    }
    if (!yield) return 0;
    auto paused = std::chrono::steady_clock::now();
    w.playing = false;
    w.go = false;
    running--;
    if (w.cost > longgame) runninglong--;
    waiting.push_back(&w);
    next();
    if (!w.go) {
        if (pause) pause();
        freed.wait(lock, [&] { return w.go || w.out; });
        if (resume) resume();
    }
    if (w.out) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - paused).count();
}

// The child reads the replay on its standard input and writes its answer on its standard
// output; past the time limit it is killed.
tverified tverifierpool::runchild(const std::string& text, twaiter& w) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return refusal(tverified::failed, "no pipe for the verifier");
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return refusal(tverified::failed, "no pipe for the verifier");
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        return refusal(tverified::failed, "the verifier did not start");
    }
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    size_t sent = 0;
    std::string answer;
    bool late = false, given = false;
    int infd = in[1];
    // the child's CPU, read every 20 ms for the turns: a child whose client has used more than
    // one that waits is stopped (SIGSTOP) until its turn comes again
    clockid_t clock{};
    bool clocked = clock_getcpuclockid(pid, &clock) == 0;
    double last = 0;
    for (;;) {
        if (clocked) {
            timespec t{};
            if (clock_gettime(clock, &t) == 0) {
                double cpu = static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
                double waited = between(w, cpu - last, [&] { kill(pid, SIGSTOP); }, [&] { kill(pid, SIGCONT); });
                last = cpu;
                if (waited < 0) {
                    given = true;
                    break;
                }
                deadline += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                    std::chrono::duration<double>(waited));
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            late = true;
            break;
        }
        pollfd fds[2] = {{out[0], POLLIN, 0}, {infd, POLLOUT, 0}};
        int n = poll(fds, infd >= 0 ? 2 : 1, static_cast<int>(std::min<long long>(left, clocked ? 20 : left)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        if (infd >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t w = write(infd, text.data() + sent, text.size() - sent);
            if (w > 0) sent += static_cast<size_t>(w);
            if (w < 0 && errno != EAGAIN) sent = text.size();
            if (sent == text.size()) {
                close(infd);
                infd = -1;
            }
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buf[4096];
            ssize_t r = read(out[0], buf, sizeof buf);
            if (r > 0) answer.append(buf, static_cast<size_t>(r));
            else if (r == 0 || errno != EAGAIN) break;
        }
    }
    if (infd >= 0) close(infd);
    close(out[0]);
    if (late || given) kill(pid, SIGKILL);   // stopped or not
    int status = 0;
    rusage use{};
    while (wait4(pid, &status, 0, &use) < 0 && errno == EINTR) {
    }
    double cpu = static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
                 static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
    if (given) {
        tverified v = refusal(tverified::failed, "the playback gave its place to another");
        v.cpu = cpu;
        return v;
    }
    if (late) {
        tverified v = toolate(seconds);
        v.cpu = cpu;
        return v;
    }
    tverified v = readverified(answer);
    v.cpu = cpu;
    if (v.kind == tverified::failed && v.reason == "the verifier gave no answer" && WIFSIGNALED(status))
        v.reason = "the verifier stopped on signal " + std::to_string(WTERMSIG(status));
    return v;
}
