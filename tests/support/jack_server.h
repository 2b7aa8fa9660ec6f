#pragma once

// A private JACK server with the dummy driver, so that MIDI tests get virtual
// ports without a sound card. Its name is unique to the process; the test's own
// JACK clients find it through JACK_DEFAULT_SERVER.

#include "support/child_process.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace varento::testing {

class JackServer {
public:
    JackServer() {
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        const QString wait = QStandardPaths::findExecutable(QStringLiteral("jack_wait"));
        if (jackd.isEmpty() || wait.isEmpty()) {
            problem_ = "jackd or jack_wait is not installed";
            return;
        }
        name_ = QStringLiteral("varento-%1").arg(QCoreApplication::applicationPid());
        qputenv("JACK_DEFAULT_SERVER", name_.toLocal8Bit());
        qputenv("JACK_NO_START_SERVER", "1");
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        server_.setProgram(jackd);
        // No real-time scheduling: the machines that run the tests may not grant it.
        server_.setArguments({"--no-realtime", "-d", "dummy", "-r", "48000", "-p", "256"});
        server_.setProcessChannelMode(QProcess::MergedChannels);
        // A server left behind takes one of the few places JACK has for servers.
        dieWithParent(server_, SIGTERM);
        server_.start();
        if (!server_.waitForStarted(5000)) {
            problem_ = "jackd did not start";
            return;
        }
        QProcess waiter;
        waiter.start(wait, {"-s", name_, "-w", "-t", "10"});
        if (!waiter.waitForFinished(12000) || waiter.exitCode() != 0 ||
            server_.state() != QProcess::Running) {
            problem_ = "jackd did not come up: " + server_.readAll().toStdString();
            return;
        }
        running_ = true;
    }

    ~JackServer() {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000)) {
                server_.kill();
                server_.waitForFinished(2000);
            }
        }
    }

    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool running() const { return running_; }
    const std::string& problem() const { return problem_; }
    const QString& name() const { return name_; }

private:
    QProcess server_;
    QString name_;
    std::string problem_;
    bool running_ = false;
};

} // namespace varento::testing
