#include "serial_line.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace varento::emu {

SerialLine::SerialLine(const Options& options, QObject* parent)
    : QObject(parent), options_(options) {
    gapTimer_.setInterval(static_cast<int>(options_.faults.byteGap.count()));
    connect(&gapTimer_, &QTimer::timeout, this, &SerialLine::nextGapByte);
}

SerialLine::~SerialLine() {
    readable_.reset();
    writable_.reset();
    if (masterFd_ >= 0) {
        ::close(masterFd_);
    }
    if (slaveFd_ >= 0) {
        ::close(slaveFd_);
    }
}

bool SerialLine::start(QString& error) {
    if (!(options_.pty ? openPty(error) : openDevice(error))) {
        return false;
    }
    driver_ = new LineDriver(
        std::make_unique<EmulatedWire>(options_.units, options_.faults, options_.seed),
        QStringLiteral("serial"), options_.trace, [this](const Frame& f) { send(f); }, this);
    return true;
}

bool SerialLine::openPty(QString& error) {
    masterFd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (masterFd_ < 0 || ::grantpt(masterFd_) != 0 || ::unlockpt(masterFd_) != 0) {
        error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(std::strerror(errno));
        return false;
    }
    const char* name = ::ptsname(masterFd_);
    slaveFd_ = name ? ::open(name, O_RDWR | O_NOCTTY) : -1;
    if (slaveFd_ < 0) {
        error = QStringLiteral("cannot open the pseudo-terminal's other side: %1")
                    .arg(std::strerror(errno));
        return false;
    }
    path_ = QString::fromLocal8Bit(name);
    // Raw bytes both ways until the application sets the line up itself:
    // no echo, no line editing, no newline translation.
    termios mode{};
    ::tcgetattr(slaveFd_, &mode);
    ::cfmakeraw(&mode);
    ::tcsetattr(slaveFd_, TCSANOW, &mode);
    ::fcntl(masterFd_, F_SETFL, ::fcntl(masterFd_, F_GETFL) | O_NONBLOCK);

    readable_ = std::make_unique<QSocketNotifier>(masterFd_, QSocketNotifier::Read);
    connect(readable_.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[1024];
        for (;;) {
            const ssize_t n = ::read(masterFd_, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            bytesArrived(QByteArray(buffer, static_cast<qsizetype>(n)));
        }
    });
    writable_ = std::make_unique<QSocketNotifier>(masterFd_, QSocketNotifier::Write);
    writable_->setEnabled(false);
    connect(writable_.get(), &QSocketNotifier::activated, this, &SerialLine::flushPty);
    return true;
}

bool SerialLine::openDevice(QString& error) {
    path_ = QString::fromStdString(options_.serialPath);
    port_ = std::make_unique<QSerialPort>(path_);
    port_->setBaudRate(options_.baud);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite)) {
        error = QStringLiteral("cannot open %1: %2").arg(path_, port_->errorString());
        return false;
    }
    connect(port_.get(), &QSerialPort::readyRead, this, [this] { bytesArrived(port_->readAll()); });
    return true;
}

void SerialLine::bytesArrived(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const std::size_t dropped = assembler_.discarded();
    for (const Frame& f : assembler_.feed({data, static_cast<std::size_t>(bytes.size())})) {
        driver_->receive(f);
    }
    if (options_.trace && assembler_.discarded() > dropped) {
        traceText(QStringLiteral("serial"), true,
                  QStringLiteral("%1 byte(s) outside any frame dropped")
                      .arg(assembler_.discarded() - dropped));
    }
}

void SerialLine::send(const Frame& frame) {
    const QByteArray bytes(reinterpret_cast<const char*>(frame.data()),
                           static_cast<qsizetype>(frame.size()));
    if (options_.faults.byteGap.count() <= 0) {
        write(bytes);
        return;
    }
    gapQueue_.append(bytes);
    if (!gapTimer_.isActive()) {
        nextGapByte();
        gapTimer_.start();
    }
}

void SerialLine::nextGapByte() {
    if (gapQueue_.isEmpty()) {
        gapTimer_.stop();
        return;
    }
    write(gapQueue_.left(1));
    gapQueue_.remove(0, 1);
}

void SerialLine::write(const QByteArray& bytes) {
    if (port_) {
        port_->write(bytes);
        return;
    }
    unwritten_.append(bytes);
    flushPty();
}

void SerialLine::flushPty() {
    while (!unwritten_.isEmpty()) {
        const ssize_t n =
            ::write(masterFd_, unwritten_.constData(), static_cast<std::size_t>(unwritten_.size()));
        if (n <= 0) {
            break; // full: wait until the other side has read
        }
        unwritten_.remove(0, static_cast<qsizetype>(n));
    }
    writable_->setEnabled(!unwritten_.isEmpty());
}

} // namespace varento::emu
