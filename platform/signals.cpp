// Stop signals (SIGTERM, SIGINT, SIGHUP): the handler only notes the signal and writes a byte
// into a pipe. On the desktop the window system's loop watches the pipe, also the loop that a
// message box runs, so the game hears of the signal at once on its own thread; the headless
// back end has no loop to watch it and leaves the game to ask StopSignal().
#define QT_NO_KEYWORDS
#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/internal.h"

namespace {

volatile std::sig_atomic_t caught = 0;
int pipefd[2] = {-1, -1};
std::function<void(int)> onstop;
QSocketNotifier* notifier = nullptr;

void handler(int sig) {
    int saved = errno;
    caught = sig;
    if (pipefd[1] >= 0) {
        char c = static_cast<char>(sig);
        ssize_t r = write(pipefd[1], &c, 1);   // a full pipe already holds a wake-up
        (void)r;
    }
    errno = saved;
}

void deliver() {
    char buf[64];
    while (read(pipefd[0], buf, sizeof buf) > 0) {
    }
    if (caught && onstop) onstop(caught);
}

}  // namespace

void CatchStopSignals(std::function<void(int)> fn) {
    onstop = std::move(fn);
    if (pipefd[0] < 0 && pipe2(pipefd, O_CLOEXEC | O_NONBLOCK) != 0) pipefd[0] = pipefd[1] = -1;
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    if (plat::backend == tbackend::desktop && pipefd[0] >= 0 && !notifier && QCoreApplication::instance()) {
        notifier = new QSocketNotifier(pipefd[0], QSocketNotifier::Read);
        QObject::connect(notifier, &QSocketNotifier::activated, [] { deliver(); });
    }
}

int StopSignal() { return caught; }
