#include "app/unixsignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// [0] is written by the handler, [1] read on the main thread.
int pipeEnds[2] = {-1, -1};
constexpr int handled[] = {SIGTERM, SIGINT};
}  // namespace

CWUnixSignals::CWUnixSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CWUnixSignals::drain);
    struct sigaction action = {};
    action.sa_handler = &CWUnixSignals::handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : handled)
        ::sigaction(s, &action, nullptr);
}

CWUnixSignals::~CWUnixSignals()
{
    for (const int s : handled)
        ::signal(s, SIG_DFL);
    delete notifier_;
    for (int& end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void CWUnixSignals::handler(int signal)
{
    // Only async-signal-safe work here: one byte naming the signal.
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}

void CWUnixSignals::drain()
{
    char byte = 0;
    if (::read(pipeEnds[1], &byte, 1) == 1)
        emit received(int(byte));
}
