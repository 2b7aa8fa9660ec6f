#include "app/session.h"
#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "links/demo_link.h"
#include "support/demo_session.h"
#include "support/session_access.h"
#include "unit/emulated_rack.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

class SessionFiles : public DemoSessionTest {
protected:
    QString file(const QString& name) const { return dir.filePath(name); }

    QByteArray bytesOf(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void writeBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }

    // A preset file holding `record`, as written by hand from its block.
    QString presetOf(const DeviceRecord& record, const QString& name) {
        const PresetBlock block = buildPresetBlock(record);
        writeBytes(file(name), encodePresetFile(kPresetFileType, block));
        return file(name);
    }

    std::size_t sentWithCommand(std::uint8_t command, std::size_t from = 0) const {
        std::size_t n = 0;
        for (std::size_t i = from; i < recorder->sent.size(); ++i) {
            n += recorder->sent[i].frame[17] == command ? 1u : 0u;
        }
        return n;
    }
};

} // namespace

TEST_F(SessionFiles, SavePresetWritesTheWholeUnit) {
    session->command(command_id::offlineBase);
    session->editor().setRoute(3, 77);
    ui.files.push_back(file("show.vpf"));
    session->command(command_id::savePreset);
    const QByteArray bytes = bytesOf(file("show.vpf"));
    ASSERT_EQ(bytes.size(), 688);
    EXPECT_EQ(bytes.left(5), "KELTA");
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[16 + 32 + 3]), 77);
    EXPECT_TRUE(session->state().matrixSaved);
    EXPECT_EQ(ui.fileDialogs.back().defaultExtension, "vpf");
}

TEST_F(SessionFiles, LoadSettingsKeepsTheUsbEmbedderBitAndSends) {
    connectToDemo({12});
    DeviceRecord source = session->current();
    source.at(param::ioOptions) = 0x0A; // USB embedder off in the file
    source.at(param::fanSlowTemp) = 44;
    SessionTestAccess::unit(*session).at(param::ioOptions) |= 0x20;
    ui.files.push_back(presetOf(source, "settings.vpf"));
    const std::size_t before = recorder->sent.size();
    session->command(command_id::loadSettings);
    EXPECT_EQ(ui.messages.back().title, "Load Settings");
    EXPECT_EQ(session->current().at(param::ioOptions), 0x2A);
    EXPECT_EQ(session->current().at(param::fanSlowTemp), 44);
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 3000);
    EXPECT_EQ(sentWithCommand(0x20, before), 11u);
    EXPECT_EQ(rack().units()[0].state().at(param::fanSlowTemp), 44);
    EXPECT_TRUE(session->state().settingsSaved);
}

TEST_F(SessionFiles, CancelledLoadsStillSendTheCurrentStateAndMarkItSaved) {
    connectToDemo({11});
    session->state().matrixSaved = false;
    session->state().gainsSaved = false;
    std::size_t before = recorder->sent.size();
    ui.files.push_back(std::nullopt);
    session->command(command_id::loadMatrix);
    EXPECT_EQ(sentWithCommand(0x22, before), 1u);
    EXPECT_TRUE(session->state().matrixSaved);
    EXPECT_TRUE(session->pollTimer().isActive());

    before = recorder->sent.size();
    ui.files.push_back(std::nullopt);
    session->command(command_id::loadGains);
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 3000);
    EXPECT_EQ(sentWithCommand(0x23, before), 3u);
    EXPECT_TRUE(session->state().gainsSaved);
}

TEST_F(SessionFiles, AnsweringNoLoadsNothing) {
    connectToDemo({12});
    ui.answers.push_back(Answer::No);
    const std::size_t before = recorder->sent.size();
    session->command(command_id::loadAll);
    EXPECT_TRUE(ui.fileDialogs.empty());
    EXPECT_EQ(sentWithCommand(0x20, before), 0u);
}

TEST_F(SessionFiles, LoadAllStopsOnAFailedRead) {
    session->command(command_id::offlineBase);
    writeBytes(file("broken.vpf"), {'K', 'E', 'L', 'T', 'A', 0x10, 9});
    const std::uint8_t clock = session->current().at(param::clockRate);
    ui.files.push_back(file("broken.vpf"));
    session->command(command_id::loadAll);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "Wrong file format version.");
    EXPECT_EQ(ui.messages.back().title, "File version error");
    EXPECT_EQ(session->current().at(param::clockRate), clock);
    EXPECT_FALSE(session->bulkTransfer());
    EXPECT_EQ(ui.fileDialogs.size(), 1u);
}

TEST_F(SessionFiles, LoadAllReadsOneFileThreeTimes) {
    session->command(command_id::offlineBase);
    DeviceRecord source = session->current();
    source.at(param::clockRate) = 0x30;
    source.routeSource[9] = 1;
    source.inputGain[2] = 33;
    ui.files.push_back(presetOf(source, "all.vpf"));
    session->state().gainsSaved = false;
    session->command(command_id::loadAll);
    EXPECT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(session->current().at(param::clockRate), 0x30);
    EXPECT_EQ(session->current().routeSource[9], 1);
    EXPECT_EQ(session->current().inputGain[2], 33);
    EXPECT_TRUE(session->state().allSaved());
}

TEST_F(SessionFiles, ProjectFileOfferedToLoadSettingsChangesNothing) {
    session->command(command_id::offlineBase);
    const std::vector<std::pair<DeviceUid, PresetBlock>> units = {
        {DeviceUid{}, buildPresetBlock(DeviceRecord{})}};
    writeBytes(file("p.vrj"), encodePresetFile(kProjectFileType, encodeProjectData(units)));
    const DeviceRecord before = session->current();
    ui.files.push_back(file("p.vrj"));
    session->command(command_id::loadSettings);
    EXPECT_EQ(session->current().at(param::clockRate), before.at(param::clockRate));
    EXPECT_EQ(session->current().at(param::ioOptions), before.at(param::ioOptions));
}

TEST_F(SessionFiles, OldProgramVersionWarnsAndLoads) {
    session->command(command_id::offlineBase);
    DeviceRecord source = session->current();
    source.at(param::fanFastTemp) = 61;
    const QString path = presetOf(source, "old.vpf");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(8);
    f.write(QByteArray("\x01\x05\x01", 3)); // written by 1.5.1
    f.close();
    ui.files.push_back(path);
    session->command(command_id::loadSettings);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.front().title, "Program version warning");
    EXPECT_EQ(session->current().at(param::fanFastTemp), 61);
}

TEST_F(SessionFiles, RoutingPresetRoundTrip) {
    session->command(command_id::offlineBase);
    session->editor().setRoute(0, 42);
    session->command(command_id::storeRoutingPreset);
    EXPECT_EQ(ui.messages.back().text, "Preset File stored!");
    EXPECT_EQ(bytesOf(file("_Preset.vpf")).size(), 688);
    session->editor().setRoute(0, 0);
    session->command(command_id::loadRoutingPreset);
    EXPECT_EQ(session->current().routeSource[0], 42);

    QFile::remove(file("_Preset.vpf"));
    session->command(command_id::loadRoutingPreset);
    EXPECT_EQ(ui.messages.back().text, "No Preset File found!");
}

TEST_F(SessionFiles, ProjectOfThreeUnitsRoundTrips) {
    connectToDemo();
    ASSERT_EQ(session->discovered().count(), 3);
    ui.files.push_back(file("show.txt"));
    session->command(command_id::saveProjectAs);
    const QByteArray bytes = bytesOf(file("show.txt"));
    ASSERT_EQ(bytes.size(), 2096);
    EXPECT_EQ(bytes.mid(16, 4), QByteArray("\0\0\0\3", 4));
    EXPECT_EQ(session->state().lastSnapshotFileName, "show.vrj");
    EXPECT_EQ(session->windowTitle(), "VARENTO Remote 3.5 - show.vrj");

    // Change every unit's gains in the emulator, then load the project back.
    const DeviceUid shown = session->current().uid;
    session->editor().setInputGain(0, 60);
    ASSERT_EVENTUALLY(rack().units()[0].state().inputGain[0] == 60, 2000);

    ui.files.push_back(file("show.txt"));
    const std::size_t before = recorder->sent.size();
    session->command(command_id::loadProject);
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 5000);
    EXPECT_EQ(session->current().uid, shown);
    EXPECT_EQ(sentWithCommand(0x23, before), 9u);
    EXPECT_EQ(sentWithCommand(0x22, before), 3u);
    ASSERT_EVENTUALLY(rack().units()[0].state().inputGain[0] != 60, 2000);
    EXPECT_TRUE(session->state().allSaved());

    // Save (not Save As) after a load asks before overwriting; No opens the dialog.
    ui.answers.push_back(Answer::No);
    ui.files.push_back(std::nullopt);
    const std::size_t dialogs = ui.fileDialogs.size();
    session->command(command_id::saveProject);
    EXPECT_EQ(ui.messages.back().title, "Project Save");
    EXPECT_EQ(ui.fileDialogs.size(), dialogs + 1);
}

TEST_F(SessionFiles, MissingUnitsAreExchangedOrSkipped) {
    connectToDemo({12, 14});
    DeviceRecord r;
    r.inputGain.fill(40);
    const DeviceUid unknown = DeviceUid{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0}};
    const DeviceUid offline = DeviceUid{{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}};
    session->deviceList().addOrRefresh(offline, "VARENTO 2", 6, 6);
    const std::vector<std::pair<DeviceUid, PresetBlock>> units = {{unknown, buildPresetBlock(r)},
                                                                  {offline, buildPresetBlock(r)}};
    writeBytes(file("p.vrj"), encodePresetFile(kProjectFileType, encodeProjectData(units)));

    ui.files.push_back(file("p.vrj"));
    ui.answers = {Answer::Ok, Answer::Ok};     // both warnings: choose another unit
    ui.replacementChoices = {1, std::nullopt}; // the second online unit, then Cancel
    session->command(command_id::loadProjectGains);
    ASSERT_EQ(ui.replacementQuestions.size(), 2u);
    EXPECT_EQ(ui.replacementQuestions[0].second.size(), 2);
    EXPECT_TRUE(ui.replacementQuestions[1].first.startsWith("090909"));
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 3000);
    ASSERT_EVENTUALLY(rack().units()[1].state().inputGain[5] == 40, 2000);
    EXPECT_NE(rack().units()[0].state().inputGain[5], 40);
    // Gains only: the routing stays.
    EXPECT_EQ(sentWithCommand(0x22), 0u);
}

TEST_F(SessionFiles, TitleMarksUnsavedChangesOnlyWithAProject) {
    connectToDemo({12});
    QSignalSpy titles(session.get(), &Session::titleChanged);
    session->editor().setChannelGain(0, 3);
    EXPECT_EQ(titles.count(), 0); // no project: the title stays
    EXPECT_EQ(session->windowTitle(), "VARENTO Remote 3.5");

    ui.files.push_back(file("gig.vrj"));
    session->command(command_id::saveProjectAs);
    EXPECT_EQ(session->windowTitle(), "VARENTO Remote 3.5 - gig.vrj");
    QSignalSpy project(session.get(), &Session::projectChanged);
    session->editor().setChannelGain(0, 4);
    EXPECT_EQ(titles.last().at(0).toString(), "VARENTO Remote 3.5 - gig.vrj*");
    ASSERT_GE(project.count(), 1);
    EXPECT_EQ(project.last().at(0).toString(), "gig.vrj*");
    EXPECT_TRUE(project.last().at(2).toBool());
}

// A project that could not be written changes nothing: no path kept, no project
// announced, nothing marked saved.
TEST_F(SessionFiles, FailedProjectWriteKeepsTheUnsavedState) {
    connectToDemo({12, 14});
    const DeviceUid shown = session->current().uid;
    session->editor().setInputGain(0, 50);
    ASSERT_FALSE(session->state().allSaved());
    QSignalSpy project(session.get(), &Session::projectChanged);
    ui.files.push_back(file("no such folder/show.vrj"));
    session->command(command_id::saveProjectAs);
    EXPECT_EQ(ui.messages.back().title, "Project Save Error");
    EXPECT_TRUE(session->state().lastSnapshotFileName.isEmpty());
    EXPECT_EQ(project.count(), 0);
    EXPECT_FALSE(session->state().allSaved());
    EXPECT_EQ(session->windowTitle(), "VARENTO Remote 3.5");
    EXPECT_EQ(session->current().uid, shown);
    // Save (not Save As) has no path to overwrite: it asks for a file.
    const std::size_t dialogs = ui.fileDialogs.size();
    ui.files.push_back(std::nullopt);
    session->command(command_id::saveProject);
    EXPECT_EQ(ui.fileDialogs.size(), dialogs + 1);
}
