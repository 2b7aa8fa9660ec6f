// Arbitrary bytes as an OSC datagram, decoded and handled by the address space over
// emulated units: never a crash; a bad datagram gives no message; every reply is a
// valid message; an edit changes only a unit that exists.
#include "app/interaction.h"
#include "app/session.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "osc/osc_address_space.h"
#include "osc/osc_packet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

using namespace varento;

namespace {

// Nobody to ask: every question is declined.
class Declining : public Interaction {
public:
    Answer message(const QString&, const QString&, MessageIcon, MessageButtons) override {
        return Answer::Cancel;
    }
    std::optional<QString> openFileName(const FileDialogOptions&) override { return {}; }
    std::optional<QString> saveFileName(const FileDialogOptions&) override { return {}; }
    std::optional<int> chooseReplacementUnit(const QString&, const QStringList&) override {
        return {};
    }
    bool firmwareWarning(const QString&) override { return false; }
};

struct Rig {
    Rig() {
        session.useDemoUnits({11, 12});
        session.connectOrDisconnect();
        // processEvents does not wait for the poll timer: the harness does.
        QElapsedTimer clock;
        clock.start();
        while (!session.unitsGathered() && clock.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
        }
        // Without units every edit is refused before it gets anywhere.
        if (!session.unitsGathered()) {
            std::abort();
        }
        // A preset "p" and a project "s" for the loads to find.
        const DeviceRecord& unit = *session.discovered().begin();
        const PresetBlock block = buildPresetBlock(unit);
        write("p.vpf", encodePresetFile(kPresetFileType, block));
        write("s.vrj", encodePresetFile(kProjectFileType, encodeProjectData({{unit.uid, block}})));
    }
    void write(const char* name, const std::vector<std::uint8_t>& bytes) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qint64>(bytes.size()));
        }
    }
    QTemporaryDir dir;
    Declining ui;
    Session session{ui, SessionPaths{dir.path().toStdString(), dir.path().toStdString()}};
    osc::AddressSpace space{session};
};

Rig& rig() {
    static int argc = 1;
    static char name[] = "fuzz_osc_packet";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Rig r;
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Rig& r = rig();
    const osc::Packet packet = osc::decodePacket(std::span(data, size));
    if (packet.error != osc::PacketError::None && !packet.messages.empty()) {
        __builtin_trap();
    }
    for (const osc::Message& message : packet.messages) {
        // Read only when the last byte's top bit is set: OSC's zero padding edits.
        const osc::Outcome outcome =
            r.space.handle(message, "fuzz", size > 0 && (data[size - 1] & 0x80) != 0);
        for (const osc::Message& reply : outcome.replies) {
            const auto bytes = osc::encodeMessage(reply);
            if (osc::decodePacket(bytes).messages.size() != 1) {
                __builtin_trap();
            }
        }
    }
    QCoreApplication::processEvents();
    return 0;
}
