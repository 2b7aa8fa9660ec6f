#pragma once

#include "line_driver.h"

#include "unit/options.h"

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

#include <memory>
#include <vector>

namespace varento::emu {

inline constexpr quint16 kControlPort = 7777;
inline const QHostAddress kGroup{QStringLiteral("224.7.7.7")};

// One or more Ravnet daemons: a control socket on 7777 that answers "QQ" with
// "QR" + each data port, and per daemon a data port that takes "O" + frame and
// answers "I" + frame, all on the group 224.7.7.7.
class NetworkDaemons : public QObject {
    Q_OBJECT
public:
    explicit NetworkDaemons(const Options& options, QObject* parent = nullptr);
    ~NetworkDaemons() override;

    // Opens every socket; on failure says why and leaves nothing open.
    bool start(QString& error);
    // "VV" + port, then the daemon stops serving. Harmless for a daemon already gone.
    void withdraw(int daemon);
    void withdrawAll();
    // The first daemon still serving withdraws (SIGUSR1).
    void withdrawNext();

    int daemonCount() const { return static_cast<int>(daemons_.size()); }
    quint16 port(int daemon) const { return daemons_[static_cast<std::size_t>(daemon)].port; }
    const std::vector<UnitConfig>& units(int daemon) const {
        return daemons_[static_cast<std::size_t>(daemon)].units;
    }

private:
    struct Daemon {
        quint16 port = 0;
        std::vector<UnitConfig> units;
        std::unique_ptr<QUdpSocket> socket;
        LineDriver* driver = nullptr;
    };

    void readControl();
    void readData(Daemon& daemon);
    void sendControl(const QByteArray& datagram);

    Options options_;
    QUdpSocket control_;
    std::vector<Daemon> daemons_;
};

} // namespace varento::emu
