// server/verifier.cpp — the checks before a playback, the playback in this process, and the
// pool of child processes that run it.
#include "server/verifier.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/datadigest.h"
#include "app/replay.h"
#include "framework/globals.h"
#include "game/level.h"
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

tverified precheck(const std::string& text, const std::string& program, uint64_t data, int maxframes, treplay* out) {
    treplayread got = parsereplay(text, "");
    if (!got.error.empty()) return refusal(tverified::damaged, got.error, got.line);
    const treplay& r = got.replay;
    if (r.program != program)
        return refusal(tverified::refused, "recorded by version " + r.program + ", this server plays " + program);
    if (r.data != data) {
        char theirs[20], ours[20];
        std::snprintf(theirs, sizeof theirs, "%016llx", static_cast<unsigned long long>(r.data));
        std::snprintf(ours, sizeof ours, "%016llx", static_cast<unsigned long long>(data));
        return refusal(tverified::refused, r.data == 0 ? std::string("recorded without the digest of its data files")
                                                       : std::string("played with other pictures, sounds or texts (data ") +
                                                             theirs + ") than this server's (" + ours + ")");
    }
    if (r.end.frame > maxframes)
        return refusal(tverified::refused, "a game of " + std::to_string(r.end.frame) + " frames: this server plays at most " +
                                               std::to_string(maxframes));
    std::string pace = pacecheck(r);
    if (!pace.empty()) return refusal(tverified::refused, pace);
    if (out) *out = r;
    tverified v;
    v.kind = tverified::ok;
    return v;
}

// The frame timer runs at 60 Hz, at 480 Hz while F5 is held (from its first key-down to its
// key-up), and not at all while the Help box is open (it opens on menu entry 7 and blocks until
// it is closed, so the next frame step comes after it). In each stretch of one rate, from its
// first frame on, the clock's lead over the frames may grow by the tolerance at most: a late
// start or a late frame leads by a constant, a slow timer by more at every frame.
std::string pacecheck(const treplay& r, int tolerance) {
    const int keyf5 = 116;
    bool fast = false;
    int from = 0;                     // the stretch's events count from the frame after this one
    double least = 0;                 // the smallest lead seen in the stretch
    bool any = false;
    for (const treplayevent& e : r.events) {
        int hz = fast ? 480 : 60;
        if (e.tick > from) {
            double lead = e.clock - e.tick * 1000.0 / hz;
            if (!any || lead < least) least = lead;
            any = true;
            if (lead - least > tolerance)
                return "played slower than real time: at frame " + std::to_string(e.tick) + " the clock is " +
                       std::to_string(static_cast<int>(lead - least)) + " ms ahead of " + std::to_string(hz) +
                       " frames a second";
        }
        bool f5down = e.id == EVENT_KEYDOWN && e.data == keyf5 && !fast;
        bool f5up = e.id == EVENT_KEYUP && e.data == keyf5 && fast;
        bool help = e.id == EVENT_MENUACTION && e.data == 7;
        if (f5down || f5up || help) {
            if (!help) fast = f5down;
            from = e.tick;
            any = false;
        }
    }
    return "";
}

tverified verifyhere(const std::string& text, int maxframes) {
    treplay r;
    tverified v = precheck(text, programversion(), datadigest(), maxframes, &r);
    if (v.kind != tverified::ok) return v;
    std::string problem = startplayback(r, "the replay", false);
    if (!problem.empty())
        return refusal(problem.rfind("Can't load ", 0) == 0 ? tverified::failed : tverified::refused, problem);
    treplayverdict pv = playtoend();
    stopplayback();
    if (!pv.same) {
        std::string where = pv.firstframe >= 0 ? "at frame " + std::to_string(pv.firstframe)
                            : pv.firstcheck >= 0 ? "at a frame from " + std::to_string(pv.lastgood + 1) + " to " +
                                                       std::to_string(pv.firstcheck)
                                                 : "at the end, frame " + std::to_string(r.end.frame);
        return refusal(tverified::refused, "the game does not play as recorded: the world differs first " + where);
    }
    treplayrow after[10];
    for (int i = 0; i < 10; i++) after[i] = {level.hiscore[i].name, level.hiscore[i].level, level.hiscore[i].score};
    v.rows = newrows(r.settings.rows, after);
    if (v.rows.empty()) return refusal(tverified::refused, "the game made no high-score row");
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
        }
    }
    if (!kind) return refusal(tverified::failed, "the verifier gave no answer");
    return v;
}

tverifierpool::tverifierpool(std::vector<std::string> command_, int workers_, int queue_, int seconds_)
    : command(std::move(command_)), workers(workers_), queue(queue_), seconds(seconds_) {}

bool tverifierpool::verify(const std::string& text, tverified& v) {
    {
        std::unique_lock<std::mutex> lock(m);
        if (running >= workers && waiting >= queue) return false;
        // first come, first played: a replay that arrives as a verifier frees never passes one
        // that waits
        unsigned long long ticket = tickets++;
        waiting++;
        freed.wait(lock, [&] { return ticket == serving && running < workers; });
        serving++;
        waiting--;
        running++;
    }
    freed.notify_all();   // the next ticket may find a verifier free too
    v = run(text);
    {
        std::lock_guard<std::mutex> lock(m);
        running--;
    }
    freed.notify_all();
    return true;
}

// The child reads the replay on its standard input and writes its answer on its standard
// output; past the time limit it is killed.
tverified tverifierpool::run(const std::string& text) {
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
    bool late = false;
    int infd = in[1];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            late = true;
            break;
        }
        pollfd fds[2] = {{out[0], POLLIN, 0}, {infd, POLLOUT, 0}};
        int n = poll(fds, infd >= 0 ? 2 : 1, static_cast<int>(left));
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
    if (late) kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (late) {
        tverified v = refusal(tverified::refused, "the replay took longer than " + std::to_string(seconds) + " s to verify");
        v.late = true;
        return v;
    }
    tverified v = readverified(answer);
    if (v.kind == tverified::failed && v.reason == "the verifier gave no answer" && WIFSIGNALED(status))
        v.reason = "the verifier stopped on signal " + std::to_string(WTERMSIG(status));
    return v;
}
