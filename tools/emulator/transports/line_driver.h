#pragma once

#include "unit/fault_injector.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <span>

namespace varento::emu {

// Runs one EmulatedWire on the event loop: keeps its clock in step with real time,
// sends each reply after its delay (by timer, never by sleeping) and traces.
class LineDriver : public QObject {
    Q_OBJECT
public:
    using Sender = std::function<void(const Frame&)>;

    LineDriver(std::unique_ptr<EmulatedWire> wire, QString name, bool trace, Sender send,
               QObject* parent = nullptr);

    void receive(std::span<const std::uint8_t> frame);
    EmulatedWire& wire() { return *wire_; }
    const QString& name() const { return name_; }

private:
    void catchUp();
    void transmit(const Frame& frame, bool corrupted);

    std::unique_ptr<EmulatedWire> wire_;
    QString name_;
    bool trace_;
    Sender send_;
    QElapsedTimer clock_;
    qint64 advancedMs_ = 0;
    QTimer tick_;
};

// Prints one line to standard output at once (callers read it through a pipe).
void say(const QString& line);
void traceFrame(const QString& where, bool received, std::span<const std::uint8_t> frame,
                const QString& note = {});
// A datagram that is not a frame, such as the daemons' "QQ"/"QR"/"VV".
void traceText(const QString& where, bool received, const QString& text);

} // namespace varento::emu
