#pragma once

// A second network for the link tests: a network namespace of its own, held by a
// child process and joined to the test's private namespace by veth pairs. Nothing
// it builds reaches beyond the two namespaces, and all of it goes away with the
// holder, which dies with the test process even when the test crashes.

#include "support/child_process.h"

#include <QNetworkInterface>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <string>
#include <vector>

#include <unistd.h>

namespace varento::testing {

class FarNamespace {
public:
    FarNamespace() = default;
    FarNamespace(const FarNamespace&) = delete;
    FarNamespace& operator=(const FarNamespace&) = delete;
    ~FarNamespace() {
        // Deleting one end of a veth pair deletes the other: nothing stays here.
        for (const QString& name : nearEnds_) {
            run({QStringLiteral("ip"), QStringLiteral("link"), QStringLiteral("del"), name});
        }
        if (holder_.state() != QProcess::NotRunning) {
            holder_.kill();
            holder_.waitForFinished(5000);
        }
    }

    // Makes the namespace. False with `problem()` set when this machine cannot, or
    // when the test is not inside a private namespace of its own (then it must not
    // build anything).
    bool start() {
        // A machine's own namespace has a network card up; a fresh private one has
        // only lo up (tunnel devices the kernel adds there stay down).
        for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
            if (iface.flags().testFlag(QNetworkInterface::IsUp) &&
                !iface.flags().testFlag(QNetworkInterface::IsLoopBack)) {
                problem_ = "the test's namespace has interface " + iface.name().toStdString() +
                           ": not a private namespace, no network is built";
                return false;
            }
        }
        dieWithParent(holder_);
        holder_.start(QStringLiteral("unshare"),
                      {QStringLiteral("-n"), QStringLiteral("sleep"), QStringLiteral("infinity")});
        const std::string ours = namespaceOf("self");
        // Until unshare has made the namespace, the child is still in ours.
        const bool apart = holder_.waitForStarted(5000) &&
                           QTest::qWaitFor(
                               [&] {
                                   const std::string theirs =
                                       namespaceOf(std::to_string(holder_.processId()).c_str());
                                   return holder_.state() != QProcess::Running ||
                                          (!theirs.empty() && theirs != ours);
                               },
                               5000);
        if (!apart || holder_.state() != QProcess::Running) {
            problem_ = "cannot make a network namespace (unshare -n): " +
                       QString::fromLocal8Bit(holder_.readAllStandardError()).toStdString();
            return false;
        }
        return there({QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
                      QStringLiteral("up")});
    }

    // `ip ARGUMENTS` in the test's namespace, or in the far one.
    bool here(const QStringList& arguments) {
        return run(QStringList{QStringLiteral("ip")} + arguments);
    }
    bool there(const QStringList& arguments) {
        return run(enter() + QStringList{QStringLiteral("ip")} + arguments);
    }

    // A veth pair from `nearName` here to `farName` there, both down.
    bool addVeth(const QString& nearName, const QString& farName) {
        if (!here({QStringLiteral("link"), QStringLiteral("add"), nearName, QStringLiteral("type"),
                   QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), farName,
                   QStringLiteral("netns"), QString::number(holder_.processId())})) {
            return false;
        }
        nearEnds_.push_back(nearName);
        return true;
    }

    // Gives an interface an address and multicast, on this side or the far one.
    bool configure(bool near, const QString& name, const QString& address, bool up) {
        const auto ip = [&](const QStringList& a) { return near ? here(a) : there(a); };
        return ip({QStringLiteral("addr"), QStringLiteral("add"), address, QStringLiteral("dev"),
                   name}) &&
               ip({QStringLiteral("link"), QStringLiteral("set"), name, QStringLiteral("multicast"),
                   QStringLiteral("on")}) &&
               (!up ||
                ip({QStringLiteral("link"), QStringLiteral("set"), name, QStringLiteral("up")}));
    }

    // The command prefix that runs a program in the far namespace.
    QStringList enter() const {
        return {QStringLiteral("nsenter"), QStringLiteral("-t"),
                QString::number(holder_.processId()), QStringLiteral("-n"), QStringLiteral("--")};
    }

    const std::string& problem() const { return problem_; }

private:
    // "net:[inode]" of a process, or empty.
    static std::string namespaceOf(const char* process) {
        char target[64] = {};
        const std::string path = std::string("/proc/") + process + "/ns/net";
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
    }

    bool run(const QStringList& command) {
        QProcess p;
        dieWithParent(p);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(command.front(), command.mid(1));
        if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            problem_ = command.join(' ').toStdString() + ": " +
                       QString::fromLocal8Bit(p.readAll()).toStdString();
            return false;
        }
        return true;
    }

    QProcess holder_;
    std::vector<QString> nearEnds_;
    std::string problem_;
};

} // namespace varento::testing
