#pragma once

#include <QObject>

class QSocketNotifier;

// Brings SIGTERM, SIGHUP and SIGINT (a shutdown, `kill`, a closed terminal) to the event loop,
// so that the program closes in order instead of ending where it stands. The signal handler
// only writes the signal's number to a pipe; everything else runs on the event loop.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* notifier = nullptr;

    Q_DISABLE_COPY_MOVE(TerminationSignals)
};
