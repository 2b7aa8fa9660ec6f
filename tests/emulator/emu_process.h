#pragma once

// Runs varento-emu as a child process and reads what it prints, with time limits.
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <csignal>

namespace varento::testing {

class EmuProcess {
public:
    ~EmuProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    // Starts the emulator and waits until it is ready; false with its output otherwise.
    bool start(const QStringList& args, QString& why, int timeoutMs = 8000) {
        process_.setProgram(QStringLiteral(VARENTO_EMU_PATH));
        process_.setArguments(args);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(timeoutMs)) {
            why = process_.errorString();
            return false;
        }
        if (waitForLine(QStringLiteral("ready"), timeoutMs).isNull()) {
            why =
                QStringLiteral("not ready; stdout: %1; stderr: %2")
                    .arg(lines_.join('|'), QString::fromLocal8Bit(process_.readAllStandardError()));
            return false;
        }
        return true;
    }

    // The first line (new or already read) that starts with `prefix`; null on time-out.
    QString waitForLine(const QString& prefix, int timeoutMs = 5000) {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            for (const QString& line : lines_) {
                if (line.startsWith(prefix)) {
                    return line;
                }
            }
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
                return {};
            }
            if (process_.waitForReadyRead(
                    static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
                readLines();
            }
        }
    }

    // A line anywhere that contains `part`, waiting for it.
    bool sawLineContaining(const QString& part, int timeoutMs = 5000) {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            readLines();
            for (const QString& line : lines_) {
                if (line.contains(part)) {
                    return true;
                }
            }
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
                return false;
            }
            process_.waitForReadyRead(
                static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
        }
    }

    // SIGTERM, as a user's Ctrl+C or a service manager would; returns the exit code.
    int terminate(int timeoutMs = 5000) {
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(timeoutMs)) {
            return -1;
        }
        readLines();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    const QStringList& lines() const { return lines_; }
    QProcess& process() { return process_; }

private:
    void readLines() {
        partial_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
        qsizetype nl;
        while ((nl = partial_.indexOf('\n')) >= 0) {
            lines_ << partial_.left(nl);
            partial_.remove(0, nl + 1);
        }
    }

    QProcess process_;
    QStringList lines_;
    QString partial_;
};

} // namespace varento::testing
