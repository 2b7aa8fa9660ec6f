#include "links/serial_link.h"

#include "links/error_reporter.h"

#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace varento {

namespace {

// The port number in a name ("COM3" -> 3, "ttyUSB0" -> 0); 0 when it has none.
int portNumberOf(const QString& name) {
    qsizetype start = name.size();
    while (start > 0 && name[start - 1].isDigit()) {
        --start;
    }
    return name.mid(start).toInt();
}

bool canOpen(const QString& path) {
    QSerialPort probe;
    probe.setPortName(path);
    if (!probe.open(QIODevice::ReadWrite)) {
        return false;
    }
    probe.close();
    return true;
}

// A read that woke to find nothing is reported as a read error carrying a stale
// system text; the port is sound while its terminal still answers. A port whose
// device went or whose peer hung up no longer does.
bool terminalStillAnswers(const QSerialPort& port) {
#ifdef Q_OS_UNIX
    termios mode{};
    return port.handle() >= 0 && ::tcgetattr(port.handle(), &mode) == 0;
#else
    Q_UNUSED(port);
    return false;
#endif
}

} // namespace

SerialLink::SerialLink(Interaction& ui, QObject* parent) : FrameLink(parent), ui_(ui) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::readBytes);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink() {
    port_.disconnect(this);
    port_.close();
}

QString SerialLink::baudRateText(int rate) {
    switch (rate) {
    case 9600:
        return QStringLiteral("\t9.600 Bit/s");
    case 14400:
        return QStringLiteral("\t14.400 Bit/s");
    case 19200:
        return QStringLiteral("\t19.200 Bit/s");
    case 38400:
        return QStringLiteral("\t38.400 Bit/s");
    case 57600:
        return QStringLiteral("\t57.600 Bit/s");
    case 115200:
        return QStringLiteral("\t115.200 Bit/s");
    default:
        return {};
    }
}

QString SerialLink::portNameOf(const QString& path) {
    for (const QString& prefix : {QStringLiteral("\\\\.\\"), QStringLiteral("/dev/")}) {
        if (path.startsWith(prefix)) {
            return path.mid(prefix.size());
        }
    }
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

int SerialLink::probeRememberedPort() {
    selectedIndex_ = -1;
    selectedPath_.clear();
    selectedName_.clear();
    // Only the remembered port matters here, so only it is opened.
    if (!rememberedPath_.isEmpty() && canOpen(rememberedPath_)) {
        selectedPath_ = rememberedPath_;
        selectedName_ = portNameOf(rememberedPath_);
        selectedIndex_ = portNumberOf(selectedName_);
    }
    return selectedIndex_;
}

QList<SerialLink::Port> SerialLink::availablePorts() const {
    QList<Port> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (canOpen(info.systemLocation())) {
            ports.push_back({info.portName(), info.systemLocation()});
        }
    }
    const bool listed = std::any_of(ports.begin(), ports.end(),
                                    [this](const Port& p) { return p.path == rememberedPath_; });
    if (!listed && !rememberedPath_.isEmpty() && canOpen(rememberedPath_)) {
        ports.push_back({portNameOf(rememberedPath_), rememberedPath_});
    }
    return ports;
}

void SerialLink::selectPort(const Port& port) {
    selectedPath_ = port.path;
    selectedName_ = port.name;
    selectedIndex_ = portNumberOf(port.name);
    rememberedPath_ = port.path;
}

int SerialLink::open() {
    if (portOpen_) {
        return 0;
    }
    port_.setPortName(selectedPath_);
    const bool configured =
        port_.open(QIODevice::ReadWrite) && port_.setBaudRate(baudRate_) &&
        port_.setDataBits(QSerialPort::Data8) && port_.setParity(QSerialPort::NoParity) &&
        port_.setStopBits(QSerialPort::OneStop) && port_.setFlowControl(QSerialPort::NoFlowControl);
    if (configured && !port_.setRequestToSend(false)) {
        // Ports without modem lines (pseudo-terminals, some adapters) have no RTS
        // to hold low; that is no reason to refuse them.
        port_.clearError();
    }
    if (!configured) {
        const QString text = port_.errorString();
        port_.close();
        showSystemError(ui_, text, AlsoToStderr::Yes);
        return -1;
    }
    port_.clear();
    port_.clearError();
    assembler_.reset();
    writeFailed_ = false;
    failure_.clear();
    emptyWakes_ = 0;
    portOpen_ = true;
    receiving_ = true;
    return 0;
}

void SerialLink::close() {
    if (!portOpen_) {
        return;
    }
    portOpen_ = false;
    receiving_ = false;
    port_.close();
    assembler_.reset();
}

int SerialLink::send(std::span<const std::uint8_t> frame) {
    if (!portOpen_) {
        return 0;
    }
    if (!failure_.isEmpty()) {
        showSystemError(ui_, failure_, AlsoToStderr::No);
        return link_error::serialWriteSetup;
    }
    if (writeFailed_) {
        writeFailed_ = false; // reported once, by this send
        return -1;
    }
    const auto size = static_cast<qint64>(frame.size());
    return port_.write(reinterpret_cast<const char*>(frame.data()), size) == size ? 0 : -1;
}

void SerialLink::readBytes() {
    const QByteArray bytes = port_.readAll();
    emptyWakes_ = 0;
    if (!receiving_) {
        return;
    }
    assembler_.feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                              static_cast<std::size_t>(bytes.size())),
                    [this](std::span<const std::uint8_t> frame) {
                        emit frameReceived(QByteArray(reinterpret_cast<const char*>(frame.data()),
                                                      static_cast<qsizetype>(frame.size())));
                    });
}

void SerialLink::onError(QSerialPort::SerialPortError error) {
    if (!portOpen_ || error == QSerialPort::NoError) {
        return;
    }
    if (error == QSerialPort::WriteError) {
        writeFailed_ = true; // the write completes after send returned
        return;
    }
    if (error == QSerialPort::TimeoutError || !receiving_) {
        return;
    }
    // A wake now and then is let pass; one that keeps coming with nothing to read
    // would spin the loop, and is a failed port.
    if (error == QSerialPort::ReadError && ++emptyWakes_ <= kEmptyWakesLetPass &&
        terminalStillAnswers(port_)) {
        port_.clearError();
        return;
    }
    // Reception ends here; the port stays open until disconnect. A port that failed
    // this way (device gone, peer closed) cannot carry writes either.
    receiving_ = false;
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
        failure_ = port_.errorString();
    }
    showSystemError(ui_, port_.errorString(), AlsoToStderr::Yes);
}

} // namespace varento
