#include "session/terminationsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace folio {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

} // namespace

TerminationSignals *TerminationSignals::install()
{
    static TerminationSignals *instance = nullptr;
    if (instance)
        return instance;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return nullptr;
    instance = new TerminationSignals(QCoreApplication::instance());
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    return instance;
}

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
    , m_notifier(new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
}

void TerminationSignals::readSignal()
{
    char byte = 0;
    if (::read(signalPipe[1], &byte, 1) == 1)
        Q_EMIT terminationRequested(int(byte));
}

} // namespace folio
