#pragma once

#include "line_driver.h"

#include "unit/frame_assembler.h"
#include "unit/options.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace varento::emu {

// The units on a serial line: frames as raw bytes, on a device the user names or
// on a pseudo-terminal made here, whose other side the application opens.
class SerialLine : public QObject {
    Q_OBJECT
public:
    explicit SerialLine(const Options& options, QObject* parent = nullptr);
    ~SerialLine() override;

    bool start(QString& error);
    // The path the application opens: the device given, or the pty's other side.
    QString devicePath() const { return path_; }

private:
    bool openPty(QString& error);
    bool openDevice(QString& error);
    void bytesArrived(const QByteArray& bytes);
    void send(const Frame& frame);
    void write(const QByteArray& bytes);
    void flushPty();
    void nextGapByte();

    Options options_;
    QString path_;
    std::unique_ptr<QSerialPort> port_;
    int masterFd_ = -1;
    int slaveFd_ = -1; // held open so the master never reads a hang-up between clients
    std::unique_ptr<QSocketNotifier> readable_;
    std::unique_ptr<QSocketNotifier> writable_;
    QByteArray unwritten_; // pty output waiting for room
    FrameAssembler assembler_;
    LineDriver* driver_ = nullptr;
    QByteArray gapQueue_;
    QTimer gapTimer_;
};

} // namespace varento::emu
