#pragma once

#include "app/interaction.h"
#include "links/frame_link.h"
#include "links/serial_assembler.h"

#include <QList>
#include <QSerialPort>
#include <QString>

namespace varento {

// The serial link: frames byte for byte over a serial port, 8N1, RTS off. Bytes
// are read on readyRead and cut into frames by SerialFrameAssembler.
class SerialLink : public FrameLink {
    Q_OBJECT
public:
    static constexpr int kDefaultBaudRate = 115200;

    // A port as the platform names it: "COM3" / "\\.\COM3", "ttyUSB0" / "/dev/ttyUSB0".
    struct Port {
        QString name;
        QString path;
        friend bool operator==(const Port&, const Port&) = default;
    };

    explicit SerialLink(Interaction& ui, QObject* parent = nullptr);
    ~SerialLink() override;

    int baudRate() const { return baudRate_; }
    void setBaudRate(int rate) { baudRate_ = rate; }
    // Status bar field 1: "\t115.200 Bit/s" and the like; empty for unlisted rates.
    static QString baudRateText(int rate);

    // The port the next connect opens; index -1 and empty texts while none is.
    int selectedPortIndex() const { return selectedIndex_; }
    const QString& selectedPortPath() const { return selectedPath_; }
    const QString& selectedPortName() const { return selectedName_; }
    // The path kept in the setting `lastPort`.
    const QString& rememberedPortPath() const { return rememberedPath_; }
    void setRememberedPortPath(const QString& path) { rememberedPath_ = path; }

    // Selects the remembered port if it exists and can be opened now; returns the
    // selected index (-1 when it cannot).
    int probeRememberedPort();
    // Ports that can be opened now, for the "Select Serial Port" list; the remembered
    // port is included even where the platform does not list it (a pseudo-terminal).
    QList<Port> availablePorts() const;
    // The dialog's OK: this port becomes the selected and the remembered one.
    void selectPort(const Port& port);
    // "COM3" from "\\.\COM3", "ttyUSB0" from "/dev/ttyUSB0", "pts/4" from "/dev/pts/4".
    static QString portNameOf(const QString& path);

    // Connect: 0, or -1 after showing the system's text under "Error!".
    int open();
    // Disconnect: acts only while the port is open.
    void close();
    // 0 = written (also when the port is not open: nothing to do); -1 = the write
    // failed; 104 = the port has failed since it was opened (the system's text is
    // shown under "Error!").
    int send(std::span<const std::uint8_t> frame) override;
    bool isOpen() const override { return portOpen_; }

private:
    void readBytes();
    void onError(QSerialPort::SerialPortError error);

    Interaction& ui_;
    QSerialPort port_{this};
    SerialFrameAssembler assembler_;
    int baudRate_ = kDefaultBaudRate;
    int selectedIndex_ = -1;
    QString selectedPath_;
    QString selectedName_;
    QString rememberedPath_;
    bool portOpen_ = false;
    bool receiving_ = false;
    bool writeFailed_ = false;
    // Read errors in a row with no byte between them (wakes that found nothing).
    static constexpr int kEmptyWakesLetPass = 100;
    int emptyWakes_ = 0;
    QString failure_; // the system's text once the port has failed
};

} // namespace varento
