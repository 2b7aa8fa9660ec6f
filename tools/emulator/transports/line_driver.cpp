#include "line_driver.h"

#include "unit/trace.h"

#include <QTime>

#include <cstdio>

namespace varento::emu {

namespace {

constexpr int kTickMs = 50; // how often meters and status move between requests

} // namespace

void say(const QString& line) {
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

namespace {

QString now() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

} // namespace

void traceFrame(const QString& where, bool received, std::span<const std::uint8_t> frame,
                const QString& note) {
    say(QString::fromStdString(
        traceLine(now().toStdString(), received, where.toStdString(), frame, note.toStdString())));
}

void traceText(const QString& where, bool received, const QString& text) {
    say(now() + (received ? QStringLiteral(" <- ") : QStringLiteral(" -> ")) + where + ' ' + text);
}

LineDriver::LineDriver(std::unique_ptr<EmulatedWire> wire, QString name, bool trace, Sender send,
                       QObject* parent)
    : QObject(parent), wire_(std::move(wire)), name_(std::move(name)), trace_(trace),
      send_(std::move(send)) {
    clock_.start();
    connect(&tick_, &QTimer::timeout, this, &LineDriver::catchUp);
    tick_.start(kTickMs);
}

void LineDriver::catchUp() {
    const qint64 now = clock_.elapsed();
    if (now > advancedMs_) {
        wire_->advance(std::chrono::milliseconds(now - advancedMs_));
        advancedMs_ = now;
    }
}

void LineDriver::receive(std::span<const std::uint8_t> frame) {
    catchUp();
    Delivery d = wire_->receive(frame);
    if (trace_) {
        QString note;
        if (d.silent) {
            note = QStringLiteral("muted: not applied, not answered");
        } else if (d.dropped > 0) {
            note = QStringLiteral("%1 reply(s) dropped").arg(d.dropped);
        }
        traceFrame(name_, true, frame, note);
    }
    for (Outgoing& out : d.frames) {
        if (out.delay.count() <= 0) {
            transmit(out.frame, out.corrupted);
        } else {
            QTimer::singleShot(
                static_cast<int>(out.delay.count()), this,
                [this, f = std::move(out.frame), c = out.corrupted] { transmit(f, c); });
        }
    }
}

void LineDriver::transmit(const Frame& frame, bool corrupted) {
    if (trace_) {
        traceFrame(name_, false, frame, corrupted ? QStringLiteral("corrupted") : QString());
    }
    send_(frame);
}

} // namespace varento::emu
