// The event journal of a session: what a show leaves in journal.log.
#include "app/journal.h"
#include "app/session.h"
#include "devices/device_list.h"
#include "support/demo_session.h"
#include "support/session_access.h"
#include "support/temp_dir.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>

using namespace varento;
using namespace varento::testing;

namespace {

class SessionJournal : public DemoSessionTest {
protected:
    std::vector<JournalEntry> entries() const { return session->journal().entries(); }

    std::vector<JournalEntry> ofKind(JournalKind kind) const {
        std::vector<JournalEntry> out;
        for (const JournalEntry& e : entries()) {
            if (e.kind == journalKindWord(kind)) {
                out.push_back(e);
            }
        }
        return out;
    }

    std::string currentUnit() const { return unitIdText(session->current().uid); }
};

} // namespace

TEST_F(SessionJournal, AScriptedSessionLeavesItsEventsInOrder) {
    QSignalSpy recorded(&session->journal(), &Journal::recorded);
    connectToDemo();

    const auto all = entries();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front().kind, journalKindWord(JournalKind::LinkOpened));
    EXPECT_TRUE(all.front().unit.empty());
    // Each unit found once and gathered once, under its own id.
    const auto found = ofKind(JournalKind::UnitFound);
    const auto gathered = ofKind(JournalKind::UnitGathered);
    ASSERT_EQ(static_cast<int>(found.size()), session->discovered().count());
    ASSERT_EQ(gathered.size(), found.size());
    for (const DeviceRecord& unit : session->discovered()) {
        const std::string id = unitIdText(unit.uid);
        const auto has = [&](const std::vector<JournalEntry>& list) {
            return std::count_if(list.begin(), list.end(),
                                 [&](const JournalEntry& e) { return e.unit == id; });
        };
        EXPECT_EQ(has(found), 1) << id;
        EXPECT_EQ(has(gathered), 1) << id;
    }
    for (const JournalEntry& e : all) {
        EXPECT_TRUE(isJournalTime(e.time)) << e.time;
    }

    // Polling is no event: the conversation goes on without a line.
    const std::size_t before = entries().size();
    const std::size_t sent = recorder->sent.size();
    ASSERT_EVENTUALLY(recorder->sent.size() >= sent + 20, 10000);
    EXPECT_EQ(entries().size(), before);

    // An edit names the unit it went to and what it changed; a save names the file.
    session->editor().setRoute(3, 77);
    ui.files.push_back(dir.filePath("show.vpf"));
    ASSERT_TRUE(session->savePreset());
    const auto edits = ofKind(JournalKind::Edit);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].unit, currentUnit());
    EXPECT_NE(edits[0].text.find("output 4"), std::string::npos) << edits[0].text;
    const auto saved = ofKind(JournalKind::PresetSaved);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].unit, currentUnit());
    EXPECT_NE(saved[0].text.find("show.vpf"), std::string::npos);

    // Every line written was also announced, in the same order.
    const auto written = entries();
    ASSERT_EQ(recorded.size(), static_cast<qsizetype>(written.size()));
    for (qsizetype i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(recorded[i][0].value<JournalEntry>(), written[static_cast<std::size_t>(i)]);
    }
}

TEST_F(SessionJournal, SilenceAndItsEndAreRecordedOnceEach) {
    connectToDemo();
    session->stopTimers();
    session->supervisionTick(); // whatever came before is heard
    recorder->lose = [](auto) { return true; };
    for (int i = 0; i < 3; ++i) {
        session->pollTick();
        session->supervisionTick();
    }
    const auto silent = ofKind(JournalKind::NoResponse);
    ASSERT_EQ(silent.size(), 1u);
    EXPECT_EQ(silent[0].unit, currentUnit());
    EXPECT_TRUE(ofKind(JournalKind::Answering).empty());

    recorder->lose = nullptr;
    QSignalSpy replies(session.get(), &Session::levelsChanged);
    session->restartTimers();
    ASSERT_EVENTUALLY(!replies.isEmpty(), 10000);
    session->stopTimers();
    session->supervisionTick();
    EXPECT_EQ(ofKind(JournalKind::Answering).size(), 1u);
    EXPECT_EQ(ofKind(JournalKind::NoResponse).size(), 1u);
}

TEST_F(SessionJournal, EditsThatReachNoUnitAreNotEvents) {
    session->command(command_id::offlineBase);
    session->editor().setRoute(3, 77);
    session->editor().setInputGain(0, 30);
    EXPECT_TRUE(ofKind(JournalKind::Edit).empty());

    connectToDemo();
    session->editor().setLabel(0, "Kick");
    EXPECT_TRUE(ofKind(JournalKind::Edit).empty());
    session->editor().setChannelGain(2, 0xFB);
    const auto edits = ofKind(JournalKind::Edit);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_NE(edits[0].text.find("channel 3"), std::string::npos) << edits[0].text;
}

TEST_F(SessionJournal, FirmwareWarningAndFilesNameTheirUnitOrNone) {
    connectToDemo({12, 11});
    SessionTestAccess::unit(*session).at(param::firmwareMajor) = 5;
    session->supervisionTick();
    ASSERT_EQ(ui.firmwareWarnings.size(), 1u);
    const auto warned = ofKind(JournalKind::FirmwareWarning);
    ASSERT_EQ(warned.size(), 1u);
    EXPECT_EQ(warned[0].unit, currentUnit());

    // A project is of every unit: its lines name none.
    ui.files.push_back(dir.filePath("show.vrj"));
    session->saveProject(true);
    ui.files.push_back(dir.filePath("show.vrj"));
    session->loadProject(false);
    // A load is recorded once its frames have left.
    ASSERT_EVENTUALLY(!ofKind(JournalKind::ProjectLoaded).empty(), 3000);
    for (const JournalKind kind : {JournalKind::ProjectSaved, JournalKind::ProjectLoaded}) {
        const auto lines = ofKind(kind);
        ASSERT_EQ(lines.size(), 1u) << journalKindWord(kind);
        EXPECT_TRUE(lines[0].unit.empty());
        EXPECT_NE(lines[0].text.find("show.vrj"), std::string::npos);
    }
    // A cancelled load is no event.
    session->loadSettings();
    EXPECT_TRUE(ofKind(JournalKind::PresetLoaded).empty());
}

TEST_F(SessionJournal, AFailedLinkIsRecordedWithoutUnit) {
    session->selectLink(false, false); // the serial link, with no port chosen
    session->connectOrDisconnect();
    ASSERT_FALSE(session->state().isConnected);
    const auto failed = ofKind(JournalKind::LinkFailed);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_TRUE(failed[0].unit.empty());
    EXPECT_TRUE(ofKind(JournalKind::LinkOpened).empty());
}

TEST(JournalTime, CarriesMillisecondsAndTheOffset) {
    const QDateTime t(QDate(2026, 12, 8), QTime(14, 3, 12, 45), Qt::OffsetFromUTC, -5 * 3600);
    const QString text = journalTime(t);
    EXPECT_TRUE(isJournalTime(text.toStdString())) << text.toStdString();
    EXPECT_EQ(QDateTime::fromString(text, Qt::ISODateWithMs), t);
}

TEST(JournalFailure, AJournalThatCannotBeWrittenStillAnnouncesItsEvents) {
    TempDir dir;
    writeText(dir / "blocked", "a file where the folder would be");
    Journal journal(dir / "blocked" / "data");
    QSignalSpy recorded(&journal, &Journal::recorded);
    journal.record(JournalKind::LinkLost, "network");
    journal.record(JournalKind::LinkRegained, "network");
    EXPECT_EQ(recorded.size(), 2);
    EXPECT_TRUE(journal.entries().empty());
}

// What the journal calls sent has left: an edit whose frame failed reads as not
// sent, and a load cut short by the link is recorded as such and the user told.
TEST_F(SessionJournal, EditsAndLoadsAreRecordedAsTheyLeft) {
    connectToDemo();
    session->setReconnectAutomatically(false);
    recorder->failWith = 1;
    session->editor().setChannelGain(2, 0xFB);
    ASSERT_EVENTUALLY(!ofKind(JournalKind::EditNotSent).empty(), 2000);
    EXPECT_TRUE(ofKind(JournalKind::Edit).empty());
    recorder->failWith = 0;

    ui.files.push_back(dir.filePath("gains.vpf"));
    ASSERT_TRUE(session->savePreset());
    ui.answers.push_back(Answer::Yes);
    ui.files.push_back(dir.filePath("gains.vpf"));
    session->loadGainSettings(); // three frames, 20 ms apart: the first leaves now
    recorder->failWith = 1;
    ASSERT_EVENTUALLY(!ofKind(JournalKind::LoadCutShort).empty(), 2000);
    EXPECT_TRUE(ofKind(JournalKind::PresetLoaded).empty());
    ASSERT_EVENTUALLY(std::any_of(ui.messages.begin(), ui.messages.end(),
                                  [](const auto& m) { return m.title == "Load Error"; }),
                      2000);
}
