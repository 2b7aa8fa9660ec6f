#include "app/app_settings.h"
#include "support/app_environment.h"
#include "support/scripted_interaction.h"

#include <QSettings>
#include <QStringList>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

QString iniIn(const TempDir& dir) {
    return QString::fromStdString((dir.path() / "VARENTO.ini").string());
}

PersistedSettings changedSettings() {
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
    return p;
}

} // namespace

TEST(AppSettings, FirstStartWithoutAnySettings) {
    TempDir dir;
    const PersistedSettings p = AppSettings(iniIn(dir)).load();
    EXPECT_EQ(p, PersistedSettings{});
    EXPECT_EQ(p.lastEmergencyChannel, 0); // the initial value, not the per-value default 31
    EXPECT_EQ(p.lastRate, 115200);
    EXPECT_TRUE(p.lastPort.isEmpty());
    EXPECT_EQ(p.MidiMode, 0);
    EXPECT_EQ(p.NetworkMode, 0);
    EXPECT_EQ(p.DisplayFwWarning, 1);
    EXPECT_EQ(p.MatrixDraggingMode, 1);
}

TEST(AppSettings, EveryValueComesBack) {
    TempDir dir;
    ScriptedInteraction ui;
    ASSERT_TRUE(AppSettings(iniIn(dir)).save(changedSettings(), ui));
    EXPECT_EQ(AppSettings(iniIn(dir)).load(), changedSettings());
    EXPECT_TRUE(ui.messages.empty());
}

TEST(AppSettings, AMissingValueAloneTakesItsDefault) {
    const std::pair<const char*, void (*)(PersistedSettings&)> cases[] = {
        {"lastEmergencyChannel", [](PersistedSettings& p) { p.lastEmergencyChannel = 31; }},
        {"DisplayFwWarning", [](PersistedSettings& p) { p.DisplayFwWarning = 1; }},
        {"MatrixDraggingMode", [](PersistedSettings& p) { p.MatrixDraggingMode = 1; }},
        {"lastRate", [](PersistedSettings& p) { p.lastRate = 115200; }},
        {"lastPort", [](PersistedSettings& p) { p.lastPort.clear(); }},
        {"Term", [](PersistedSettings& p) { p.Term = 0; }},
        {"lastSnapshotFileName", [](PersistedSettings& p) { p.lastSnapshotFileName.clear(); }},
    };
    for (const auto& [name, expectDefault] : cases) {
        TempDir dir;
        ScriptedInteraction ui;
        AppSettings(iniIn(dir)).save(changedSettings(), ui);
        {
            QSettings raw(iniIn(dir), QSettings::IniFormat);
            raw.remove(name);
        }
        PersistedSettings expected = changedSettings();
        expectDefault(expected);
        EXPECT_EQ(AppSettings(iniIn(dir)).load(), expected) << name;
    }
}

TEST(AppSettings, TermIsOneByte) {
    TempDir dir;
    ScriptedInteraction ui;
    PersistedSettings p;
    p.Term = 4;
    AppSettings(iniIn(dir)).save(p, ui);
    {
        QSettings raw(iniIn(dir), QSettings::IniFormat);
        EXPECT_EQ(raw.value("Term").toByteArray(), QByteArray(1, '\x04'));
        EXPECT_EQ(raw.value("Term").typeId(), QMetaType::QByteArray);
    }
    EXPECT_EQ(AppSettings(iniIn(dir)).load().Term, 4);

    // Any other size or type reads as the default 0.
    for (const QVariant& stored : {QVariant(QByteArray("\x04\x00", 2)), QVariant(QByteArray()),
                                   QVariant(4), QVariant(QString("4"))}) {
        {
            QSettings raw(iniIn(dir), QSettings::IniFormat);
            raw.setValue("Term", stored);
        }
        EXPECT_EQ(AppSettings(iniIn(dir)).load().Term, 0) << stored.toString().toStdString();
    }
}

TEST(AppSettings, SizeAndTypeRules) {
    TempDir dir;
    const auto loadWith = [&](const char* name, const QVariant& value) {
        {
            QSettings raw(iniIn(dir), QSettings::IniFormat);
            raw.clear();
            raw.setValue("MidiMode", 1); // the key exists
            raw.setValue(name, value);
        }
        return AppSettings(iniIn(dir)).load();
    };
    // Paths fit 260 bytes with their NUL; a longer one fails to read and stays empty.
    EXPECT_EQ(loadWith("lastSnapshotFileName", QString(259, 'n')).lastSnapshotFileName.size(), 259);
    EXPECT_TRUE(loadWith("lastSnapshotFileName", QString(260, 'n')).lastSnapshotFileName.isEmpty());
    EXPECT_TRUE(loadWith("lastSnapshotFileDirectory", QString(300, 'd'))
                    .lastSnapshotFileDirectory.isEmpty());
    // The port buffer takes 127 bytes.
    EXPECT_EQ(loadWith("lastPort", QString(127, 'p')).lastPort.size(), 127);
    EXPECT_TRUE(loadWith("lastPort", QString(128, 'p')).lastPort.isEmpty());
    // The stored type is not checked: a plain string serves as the port, a
    // multi-string as its first entry.
    EXPECT_EQ(loadWith("lastPort", QString("COM4")).lastPort, "COM4");
    EXPECT_EQ(loadWith("lastPort", QStringList{"COM5", "COM6"}).lastPort, "COM5");
    // A number that does not read as one takes its default.
    EXPECT_EQ(loadWith("lastRate", QString("fast")).lastRate, 115200);
    EXPECT_EQ(loadWith("lastRate", QString("9600")).lastRate, 9600);
    EXPECT_EQ(loadWith("lastEmergencyChannel", QString("x")).lastEmergencyChannel, 31);
}

TEST(AppSettings, MatrixSizeIsWrittenButNeverRead) {
    TempDir dir;
    ScriptedInteraction ui;
    PersistedSettings p;
    p.matrixViewWidth = 900;
    p.matrixViewHeight = 700;
    AppSettings(iniIn(dir)).save(p, ui);
    {
        QSettings raw(iniIn(dir), QSettings::IniFormat);
        EXPECT_EQ(raw.value("Matrix DX").toInt(), 900);
        EXPECT_EQ(raw.value("Matrix DY").toInt(), 700);
    }
    const PersistedSettings back = AppSettings(iniIn(dir)).load();
    EXPECT_EQ(back.matrixViewWidth, 830);
    EXPECT_EQ(back.matrixViewHeight, 1000);
}

TEST(AppSettings, WriteOrderAndTypes) {
    QStringList names;
    for (const auto& [name, value] : AppSettings::values(changedSettings())) {
        names << name;
    }
    EXPECT_EQ(names, (QStringList{"lastSnapshotFileName", "lastSnapshotFileDirectory", "lastPort",
                                  "lastRate", "lastMidiIn", "lastMidiOut", "MidiMode",
                                  "NetworkMode", "Term", "Matrix DX", "Matrix DY",
                                  "DisplayFwWarning", "lastEmergencyChannel", "GainDisplayOptions",
                                  "GainReferenceLevel", "MatrixDraggingMode"}));
    const auto values = AppSettings::values(changedSettings());
    EXPECT_EQ(values[0].second.typeId(), QMetaType::QString);
    EXPECT_EQ(values[2].second.typeId(), QMetaType::QStringList); // a multi-string
    EXPECT_EQ(values[3].second.typeId(), QMetaType::Int);
    EXPECT_EQ(values[8].second.typeId(), QMetaType::QByteArray);
}

TEST(AppSettings, DefaultLocationIsKeltaVarento) {
    ScriptedInteraction ui;
    AppSettings settings;
    EXPECT_EQ(settings.store().organizationName(), "KELTA");
    EXPECT_EQ(settings.store().applicationName(), "VARENTO");
    ASSERT_TRUE(settings.save(changedSettings(), ui));
    // The test environment moved the user's settings into a temporary folder.
    EXPECT_TRUE(settings.store().fileName().startsWith(
        QString::fromStdString(AppEnvironment::settingsFolder().string())));
    EXPECT_EQ(AppSettings().load(), changedSettings());
}

TEST(AppSettings, FailedWriteIsReported) {
    TempDir dir;
    writeText(dir / "file", "a file where a folder should be");
    ScriptedInteraction ui;
    AppSettings settings(QString::fromStdString((dir / "file" / "VARENTO.ini").string()));
    EXPECT_FALSE(settings.save(changedSettings(), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Error!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(ui.messages[0].text.isEmpty());
}
