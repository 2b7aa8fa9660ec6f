// The "Device Manager" and "&Edit Labels" commands of the main window.
#include "app/app_settings.h"
#include "app/session.h"
#include "devices/device_manager.h"
#include "files/label_store.h"
#include "gui/front_end_ids.h"
#include "gui/main_window.h"
#include "links/demo_link.h"
#include "osc/osc_settings.h"
#include "support/scripted_interaction.h"
#include "ui/dialogs/device_manager_dialog.h"
#include "ui/dialogs/journal_window.h"
#include "ui/dialogs/labels_dialog.h"
#include "ui/dialogs/osc_control_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <filesystem>

using namespace varento;
using namespace varento::testing;
namespace cid = varento::command_id;

namespace {

class MenuDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        PersistedSettings network; // no serial port dialog at start
        network.NetworkMode = 1;
        settings.save(network, ui);
        window.start(settings.load());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void connectDemo() {
        window.setDemo(true);
        session.useDemoUnits();
        window.command(cid::connect);
        QTRY_VERIFY_WITH_TIMEOUT(session.state().isConnected && session.unitsGathered(), 10000);
    }

    std::filesystem::path data() const { return (folder.path() + "/data").toStdString(); }

    QTemporaryDir folder;
    ScriptedInteraction ui;
    AppSettings settings{folder.path() + "/settings.ini"};
    Session session{ui, SessionPaths{data(), folder.path().toStdString()}};
    MainWindow window{session, settings, ui};
};

} // namespace

TEST_F(MenuDialogs, DeviceManagerOnAnEmptyListOnlyReports) {
    window.command(cid::deviceManager);
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].text, device_manager_text::emptyText);
    EXPECT_EQ(window.findChild<DeviceManagerDialog*>(), nullptr);
}

TEST_F(MenuDialogs, DeviceManagerOkRefillsTheSelector) {
    connectDemo();
    window.command(cid::deviceManager);
    auto* dialog = window.findChild<DeviceManagerDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->model().rename(0, "Front of house");
    dialog->accept();
    EXPECT_TRUE(window.deviceSelector()->itemText(0).endsWith(" - Front of house"))
        << window.deviceSelector()->itemText(0).toStdString();
}

TEST_F(MenuDialogs, LabelsDialogClosedStoresTheLabels) {
    connectDemo();
    const std::filesystem::path store = labelStorePath(data(), session.current().uid);
    std::filesystem::remove(store);
    window.command(cid::editLabels);
    auto* dialog = window.findChild<LabelsDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->reject(); // the close box
    EXPECT_TRUE(std::filesystem::exists(store));
}

TEST_F(MenuDialogs, JournalWindowShowsTheFileAndFollowsTheSession) {
    connectDemo();
    window.command(cid::journal);
    auto* journal = window.findChild<JournalWindow*>();
    ASSERT_NE(journal, nullptr);
    EXPECT_TRUE(journal->isVisible());
    const int before = journal->model().rowCount();
    EXPECT_EQ(static_cast<std::size_t>(before), session.journal().entries().size());
    // Every unit found can be chosen, besides all of them.
    EXPECT_EQ(journal->unitFilter()->count(), session.discovered().count() + 1);

    session.editor().setChannelGain(1, 0);
    EXPECT_EQ(journal->model().rowCount(), before + 1);

    // Asked for again, the same window comes forward.
    window.command(cid::journal);
    EXPECT_EQ(window.findChildren<JournalWindow*>().size(), 1);

    journal->unitFilter()->setCurrentIndex(2);
    for (int row = 0; row < journal->model().rowCount(); ++row) {
        EXPECT_EQ(journal->model().entryAt(row).unit, journal->model().entryAt(0).unit);
    }
    EXPECT_LT(journal->model().rowCount(), before);
}

// Settings > "OSC Control...": OK opens the server as chosen and keeps the choice;
// a port another program holds is said in the dialog, which stays open.
TEST_F(MenuDialogs, OscControlOpensTheServerAndKeepsTheSettings) {
    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::LocalHost, 0));
    window.command(cid::oscControl);
    auto* dialog = window.findChild<OscControlDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QCheckBox*>()->setChecked(true);
    dialog->findChild<QSpinBox*>()->setValue(taken.localPort());
    dialog->accept();
    ASSERT_TRUE(dialog->isVisible());
    bool said = false;
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        said = said || label->text().contains("cannot listen");
    }
    EXPECT_TRUE(said);

    const quint16 port = taken.localPort();
    taken.close();
    dialog->accept();
    EXPECT_FALSE(dialog->isVisible());
    const osc::Settings stored = osc::loadSettings(settings.store());
    EXPECT_TRUE(stored.enabled);
    EXPECT_EQ(stored.port, port);
    EXPECT_EQ(stored.address, "127.0.0.1");
    QUdpSocket probe;
    EXPECT_FALSE(probe.bind(QHostAddress::LocalHost, port)); // the server holds it
}
