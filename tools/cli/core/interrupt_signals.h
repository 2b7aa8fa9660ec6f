#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace varento::cli {

// SIGINT and SIGTERM delivered on the event loop, so a command can disconnect and
// save the device list before it ends; the handler only writes one byte to a pipe.
class InterruptSignals : public QObject {
    Q_OBJECT
public:
    explicit InterruptSignals(QObject* parent = nullptr);
    ~InterruptSignals() override;

signals:
    void interrupted();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace varento::cli
