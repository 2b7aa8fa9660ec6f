#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace varento::emu {

// Delivers SIGINT, SIGTERM (end) and SIGUSR1 (withdraw a daemon) on the event
// loop, where it is safe to act on them; the handler only writes one byte to a pipe.
class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

signals:
    void requested(int signalNumber);

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace varento::emu
