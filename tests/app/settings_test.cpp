#include "app/app_settings.h"
#include "support/app_environment.h"
#include "support/scripted_interaction.h"

#include <QSettings>
#include <QStringList>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

class Settings : public ::testing::Test {
protected:
    QString ini() const { return QString::fromStdString((dir / "VARENTO.ini").string()); }

    // The stored values as another writer left them.
    void store(const std::vector<std::pair<QString, QVariant>>& values) {
        QSettings raw(ini(), QSettings::IniFormat);
        for (const auto& [name, value] : values) {
            value.isValid() ? raw.setValue(name, value) : raw.remove(name);
        }
    }

    PersistedSettings load() const { return AppSettings(ini()).load(); }

    static PersistedSettings changed() {
        PersistedSettings p;
        p.lastSnapshotFileName = "Show.vrj";
        p.lastSnapshotFileDirectory = "/home/ton/Show.vrj";
        p.lastPort = "/dev/ttyUSB1";
        p.lastRate = 38400;
        p.lastMidiIn = 2;
        p.lastMidiOut = 3;
        p.MidiMode = 1;
        p.NetworkMode = 1;
        p.Term = 4;
        p.DisplayFwWarning = 0;
        p.lastEmergencyChannel = 12;
        p.GainDisplayOptions = 5;
        p.GainReferenceLevel = -18;
        p.MatrixDraggingMode = 0;
        p.ReconnectAutomatically = 0;
        return p;
    }

    TempDir dir;
    ScriptedInteraction ui;
};

} // namespace

TEST_F(Settings, FirstStartWithoutAnyValue) {
    const PersistedSettings p = load();
    EXPECT_EQ(p.lastEmergencyChannel, -1); // no spare input until the user picks one
    EXPECT_EQ(p.lastRate, 115200);
    EXPECT_TRUE(p.lastPort.isEmpty());
    EXPECT_EQ(p.DisplayFwWarning, 1);
    EXPECT_EQ(p.MatrixDraggingMode, 1);
}

TEST_F(Settings, RoundTripAndTheMatrixSizeNeverRead) {
    PersistedSettings p = changed();
    p.matrixViewWidth = 900;
    ASSERT_TRUE(AppSettings(ini()).save(p, ui));
    EXPECT_EQ(QSettings(ini(), QSettings::IniFormat).value("Matrix DX").toInt(), 900);
    EXPECT_EQ(load(), changed()); // 830 x 1000 at every start
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Settings, AMissingOrUnreadableValueAloneTakesItsDefault) {
    struct Case {
        QString name;
        QVariant stored; // invalid: the value is missing
        void (*expect)(PersistedSettings&);
    };
    const Case cases[] = {
        // A spare never chosen stays unchosen, also among other settings.
        {"lastEmergencyChannel", {}, [](PersistedSettings& p) { p.lastEmergencyChannel = -1; }},
        {"DisplayFwWarning", {}, [](PersistedSettings& p) { p.DisplayFwWarning = 1; }},
        {"MatrixDraggingMode", {}, [](PersistedSettings& p) { p.MatrixDraggingMode = 1; }},
        // Settings written before the option existed: it is on.
        {"ReconnectAutomatically", {}, [](PersistedSettings& p) { p.ReconnectAutomatically = 1; }},
        {"lastRate", "fast", [](PersistedSettings& p) { p.lastRate = 115200; }},
        {"lastRate", "9600", [](PersistedSettings& p) { p.lastRate = 9600; }},
        // Term is one byte: any other size or type is unreadable.
        {"Term", QByteArray(1, '\x07'), [](PersistedSettings& p) { p.Term = 7; }},
        {"Term", QByteArray("\x04\x00", 2), [](PersistedSettings& p) { p.Term = 0; }},
        {"Term", 4, [](PersistedSettings& p) { p.Term = 0; }},
        // Paths fill 260 bytes with their NUL, the port 127; longer ones read empty.
        {"lastSnapshotFileName", QString(259, 'n'),
         [](PersistedSettings& p) { p.lastSnapshotFileName = QString(259, 'n'); }},
        {"lastSnapshotFileDirectory", QString(260, 'n'),
         [](PersistedSettings& p) { p.lastSnapshotFileDirectory.clear(); }},
        {"lastPort", QString(128, 'p'), [](PersistedSettings& p) { p.lastPort.clear(); }},
        // The stored type is not checked: a multi-string gives its first string.
        {"lastPort", QStringList{"COM5", "COM6"},
         [](PersistedSettings& p) { p.lastPort = "COM5"; }},
        {"lastPort", "COM4", [](PersistedSettings& p) { p.lastPort = "COM4"; }},
    };
    for (const Case& c : cases) {
        QSettings(ini(), QSettings::IniFormat).clear();
        AppSettings(ini()).save(changed(), ui);
        store({{c.name, c.stored}});
        PersistedSettings expected = changed();
        c.expect(expected);
        EXPECT_EQ(load(), expected)
            << c.name.toStdString() << " = " << c.stored.toString().toStdString();
    }
}

TEST_F(Settings, WriteOrderAndTypes) {
    QStringList names;
    QList<int> types;
    for (const auto& [name, value] : AppSettings::values(changed())) {
        names << name;
        types << value.typeId();
    }
    EXPECT_EQ(
        names,
        (QStringList{"lastSnapshotFileName", "lastSnapshotFileDirectory", "lastPort", "lastRate",
                     "lastMidiIn", "lastMidiOut", "MidiMode", "NetworkMode", "Term", "Matrix DX",
                     "Matrix DY", "DisplayFwWarning", "lastEmergencyChannel", "GainDisplayOptions",
                     "GainReferenceLevel", "MatrixDraggingMode", "ReconnectAutomatically"}));
    EXPECT_EQ(types.mid(0, 4), (QList<int>{QMetaType::QString, QMetaType::QString,
                                           QMetaType::QStringList, QMetaType::Int}));
    EXPECT_EQ(types[8], QMetaType::QByteArray);
}

TEST_F(Settings, DefaultStoreIsKeltaVarento) {
    AppSettings settings;
    ASSERT_TRUE(settings.save(changed(), ui));
    EXPECT_EQ(settings.store().organizationName(), "KELTA");
    EXPECT_EQ(settings.store().applicationName(), "VARENTO");
    // The test environment moved the user's settings into a temporary folder.
    EXPECT_TRUE(settings.store().fileName().startsWith(
        QString::fromStdString(AppEnvironment::settingsFolder().string())));
    EXPECT_EQ(AppSettings().load(), changed());
}

TEST_F(Settings, FailedWriteIsReported) {
    writeText(dir / "file", "a file where a folder should be");
    AppSettings settings(QString::fromStdString((dir / "file" / "VARENTO.ini").string()));
    EXPECT_FALSE(settings.save(changed(), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Error!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(ui.messages[0].text.isEmpty());
}
