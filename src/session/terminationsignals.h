#pragma once

#include <QObject>

class QSocketNotifier;

namespace folio {

// Turns SIGTERM and SIGINT into a Qt signal delivered on the event loop, so
// the program can close its window the normal way (database closed,
// settings written) instead of dying mid-write.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers once per process; later calls return the same object.
    static TerminationSignals *install();

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    explicit TerminationSignals(QObject *parent);
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace folio
