#include "terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// One pipe for the whole process: the handler outlives every cycle's event loop.
int pipeEnds[2] = {-1, -1};

void writeToPipe(int signalNumber)
{
    const int savedErrno = errno;
    const char number = char(signalNumber);
    // Nothing but a write is safe here; a full pipe already holds a signal to handle.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
    errno = savedErrno;
}

bool installHandlers()
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = writeToPipe;
    ::sigemptyset(&action.sa_mask);
    // A write of a record interrupted by a second signal resumes instead of failing half-way.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signalNumber, &action, nullptr);
    return true;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    static const bool installed = installHandlers();
    if (!installed)
        return;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::readPipe()
{
    char number = 0;
    while (::read(pipeEnds[0], &number, 1) == 1)
        Q_EMIT received(number);
}
