#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace varento::emu {

// Delivers SIGINT and SIGTERM on the event loop, where it is safe to withdraw
// daemons and close ports; the handler itself only writes one byte to a pipe.
class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

signals:
    void requested(int signalNumber);

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace varento::emu
