#pragma once

// varento-emu as a child process: started with its arguments, ready once it says
// "ready", stopped with SIGTERM (so that its daemons withdraw).

#include "support/child_process.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

#ifndef VARENTO_EMU_PATH
#error "VARENTO_EMU_PATH must name the varento-emu binary"
#endif

namespace varento::testing {

class EmulatorProcess {
public:
    ~EmulatorProcess() { stop(); }

    // Starts the emulator and waits until it is ready; false with `problem()` set
    // when it exits or stays silent. `launcher` is a command that runs it (in
    // another network namespace, say); it must exec the emulator, not fork.
    bool start(const QStringList& arguments, int timeoutMs = 10000,
               const QStringList& launcher = {}) {
        const QStringList command =
            launcher + QStringList{QStringLiteral(VARENTO_EMU_PATH)} + arguments;
        process_.setProgram(command.front());
        process_.setArguments(command.mid(1));
        dieWithParent(process_, SIGTERM);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
            output_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
        });
        QObject::connect(&process_, &QProcess::readyReadStandardError, [this] {
            errors_ += QString::fromLocal8Bit(process_.readAllStandardError());
        });
        process_.start();
        const bool ready = QTest::qWaitFor(
            [this] {
                return output_.contains(QStringLiteral("\nready")) ||
                       output_.startsWith(QStringLiteral("ready")) ||
                       process_.state() == QProcess::NotRunning;
            },
            timeoutMs);
        if (!ready || process_.state() != QProcess::Running) {
            problem_ = "varento-emu did not come up: " + (output_ + errors_).toStdString();
            return false;
        }
        return true;
    }

    // The pseudo-terminal the emulator made with --pty.
    QString ptyPath() const {
        const auto m = QRegularExpression(QStringLiteral("serial: (\\S+)")).match(output_);
        return m.hasMatch() ? m.captured(1) : QString();
    }

    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000)) {
                process_.kill();
                process_.waitForFinished(2000);
            }
        }
    }

    qint64 processId() const { return process_.processId(); }
    const QString& output() const { return output_; }
    const std::string& problem() const { return problem_; }

private:
    QProcess process_;
    QString output_;
    QString errors_;
    std::string problem_;
};

} // namespace varento::testing
