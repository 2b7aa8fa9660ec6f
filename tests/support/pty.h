#pragma once

// A pseudo-terminal pair: the link opens the slave path like a serial port, the
// test plays the unit on the master side.

#include <QString>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace varento::testing {

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            return;
        }
        char name[128] = {};
        if (ptsname_r(master_, name, sizeof name) != 0) {
            return;
        }
        slave_ = QString::fromLocal8Bit(name);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && !slave_.isEmpty(); }
    const QString& slavePath() const { return slave_; }
    int masterFd() const { return master_; }

    bool write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno != EINTR && errno != EAGAIN) {
                return false;
            }
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        return true;
    }

    // Appends whatever the link has written so far.
    void readInto(std::vector<std::uint8_t>& out) {
        std::uint8_t buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                return;
            }
            out.insert(out.end(), buffer, buffer + n);
        }
    }

    // The slave's line settings as the link left them.
    termios slaveSettings() const {
        termios t{};
        tcgetattr(master_, &t);
        return t;
    }

    void closeMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

private:
    int master_ = -1;
    QString slave_;
};

} // namespace varento::testing
