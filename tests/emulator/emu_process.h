#pragma once

// Runs varento-emu as a child process and reads what it prints, with time limits.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <csignal>

namespace varento::testing {

inline void ensureCoreApplication() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        new QCoreApplication(argc, argv);
    }
}

class EmuProcess {
public:
    ~EmuProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    // Starts the emulator and waits until it says "ready"; otherwise `why` holds its output.
    bool start(const QStringList& args, QString& why, int timeoutMs = 8000) {
        process_.start(QStringLiteral(VARENTO_EMU_PATH), args);
        if (!waitForLine(QStringLiteral("ready"), timeoutMs).isNull()) {
            return true;
        }
        why = lines_.join('|') + QString::fromLocal8Bit(process_.readAllStandardError());
        return false;
    }

    // The first line printed that contains `part`, waiting for it; null on time-out.
    QString waitForLine(const QString& part, int timeoutMs = 5000) {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            partial_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
            for (qsizetype nl; (nl = partial_.indexOf('\n')) >= 0; partial_.remove(0, nl + 1)) {
                lines_ << partial_.left(nl);
            }
            for (const QString& line : lines_) {
                if (line.contains(part)) {
                    return line;
                }
            }
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
                return {};
            }
            process_.waitForReadyRead(
                static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
        }
    }

    // SIGTERM, as Ctrl+C or a service manager sends it; the exit code, -1 for a crash.
    int terminate() {
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(5000)) {
            return -1;
        }
        waitForLine(QStringLiteral("stopped"), 0);
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    QProcess& process() { return process_; }

private:
    QProcess process_;
    QStringList lines_;
    QString partial_;
};

} // namespace varento::testing
