// Signals: the handler only writes the signal's number into a pipe. On the desktop the window
// system's loop watches the pipe, also the loop that a message box runs, so the game hears of
// a signal at once and on its own thread. The headless back end has no loop to watch it.
#include "platform/desktop/desktop.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <map>

namespace {

int pipefd[2] = {-1, -1};
std::map<int, std::function<void(int)>> actions;
QSocketNotifier* notifier = nullptr;

void handler(int sig) {
    int saved = errno;
    unsigned char c = static_cast<unsigned char>(sig);
    ssize_t r = write(pipefd[1], &c, 1);   // a full pipe: that signal is lost, the game goes on
    (void)r;
    errno = saved;
}

void deliver() {
    unsigned char buf[64];
    ssize_t n;
    while ((n = read(pipefd[0], buf, sizeof buf)) > 0)
        for (ssize_t i = 0; i < n; i++) {
            auto it = actions.find(buf[i]);
            if (it != actions.end()) it->second(buf[i]);
        }
}

}  // namespace

void dsk::onsignal(int sig, std::function<void(int)> fn) {
    if (!QCoreApplication::instance()) return;
    if (pipefd[0] < 0) {
        if (pipe2(pipefd, O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier = new QSocketNotifier(pipefd[0], QSocketNotifier::Read);
        QObject::connect(notifier, &QSocketNotifier::activated, [] { deliver(); });
    }
    actions[sig] = std::move(fn);
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(sig, &sa, nullptr);
}
