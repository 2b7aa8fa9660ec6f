#include "devices/device_manager.h"
#include "files/devlist_file.h"
#include "support/demo_session.h"
#include "ui/models/device_manager_model.h"

#include <QSignalSpy>

using namespace varento;
using namespace varento::testing;

namespace {

// Three demo units online and one unit remembered from an earlier run.
class DeviceManagerFlow : public DemoSessionTest {
protected:
    void SetUp() override {
        DemoSessionTest::SetUp();
        connectToDemo();
        offline.bytes.fill(0x0A);
        KnownDevice* entry = session->deviceList().addOrRefresh(offline, "VARENTO.LC", 3, 1);
        ASSERT_NE(entry, nullptr);
        entry->userName = "Old rack";
    }

    int rowOf(const DeviceManagerModel& model, const DeviceUid& uid) const {
        return model.manager().rowOf(uid);
    }

    DeviceList savedList() {
        session->shutDown();
        DeviceList saved;
        loadDeviceList(dir.path().toStdString(), saved);
        return saved;
    }

    DeviceUid offline;
};

} // namespace

TEST_F(DeviceManagerFlow, DeletedOfflineUnitLeavesListAndFileAfterOk) {
    DeviceManagerModel model(session->deviceList(), ui);
    ASSERT_TRUE(model.requestDelete(rowOf(model, offline)));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);

    session->deviceManagerAccepted();
    EXPECT_EQ(session->deviceList().find(offline), nullptr);
    const DeviceList saved = savedList();
    EXPECT_EQ(saved.count(), 3);
    EXPECT_EQ(saved.find(offline), nullptr);
}

// Cancel puts the delete back: the unit stays listed after the next OK.
TEST_F(DeviceManagerFlow, ACancelledDeleteKeepsTheUnit) {
    {
        DeviceManagerModel model(session->deviceList(), ui);
        ASSERT_TRUE(model.requestDelete(rowOf(model, offline)));
        model.putBack();
    }
    ASSERT_NE(session->deviceList().find(offline), nullptr);
    EXPECT_EQ(session->deviceList().find(offline)->presence, presence::offline);
    session->deviceManagerAccepted();
    EXPECT_NE(session->deviceList().find(offline), nullptr);
}

TEST_F(DeviceManagerFlow, OnlineUnitIsRefusedAndNoKeepsTheUnit) {
    DeviceManagerModel model(session->deviceList(), ui);
    EXPECT_FALSE(model.requestDelete(0));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].title, device_manager_text::deleteTitle);
    EXPECT_EQ(ui.messages[0].text, device_manager_text::onlineText);

    ui.answers.push_back(Answer::No);
    EXPECT_FALSE(model.requestDelete(rowOf(model, offline)));
    EXPECT_FALSE(model.requestDelete(-1)); // nothing selected
    EXPECT_EQ(model.rowCount(), 4);
    session->deviceManagerAccepted();
    EXPECT_EQ(session->deviceList().count(), 4);
    EXPECT_EQ(session->deviceList().onlineCount(), 3);
}

TEST_F(DeviceManagerFlow, RenameReachesTheSelectorAfterOk) {
    DeviceUid second;
    ASSERT_EQ(session->deviceList().onlineId(2, second), 0);
    DeviceManagerModel model(session->deviceList(), ui);
    model.rename(rowOf(model, second), "Stage left");
    EXPECT_EQ(model.name(rowOf(model, second)), "Stage left");

    QSignalSpy refilled(session.get(), &Session::unitListChanged);
    session->deviceManagerAccepted();
    ASSERT_FALSE(refilled.isEmpty());
    EXPECT_TRUE(session->unitSelectorItems().value(1).endsWith(" - Stage left"))
        << session->unitSelectorItems().value(1).toStdString();
}

// The unit being edited stays the selected one wherever it was dragged.
TEST_F(DeviceManagerFlow, CurrentUnitStaysSelectedAfterReorder) {
    session->selectUnit(1);
    const DeviceUid shown = session->current().uid;
    DeviceManagerModel model(session->deviceList(), ui);
    ASSERT_TRUE(model.drop(2, 0));
    ASSERT_TRUE(model.drop(rowOf(model, shown), 0));
    session->deviceManagerAccepted();

    EXPECT_EQ(session->selectedUnitIndex(), 0);
    EXPECT_EQ(session->current().uid, shown);
    int expected = 1;
    for (const KnownDevice& entry : session->deviceList()) {
        EXPECT_EQ(entry.position, expected++);
    }
    EXPECT_EQ(session->deviceList().first()->uid, shown);
}

TEST(DeviceManagerOpen, EmptyListIsReported) {
    ScriptedInteraction ui;
    DeviceList empty;
    EXPECT_FALSE(DeviceManagerModel::canOpen(empty, ui));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].title, device_manager_text::emptyTitle);
    EXPECT_EQ(ui.messages[0].text, device_manager_text::emptyText);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
}
