#include "app/cp1252.h"
#include "app/label_flows.h"
#include "files/label_store.h"
#include "support/demo_session.h"
#include "ui/models/labels_model.h"

#include <QSignalSpy>

using namespace varento;
using namespace varento::testing;

namespace {

class LabelsList : public DemoSessionTest {
protected:
    void SetUp() override {
        DemoSessionTest::SetUp();
        session->loadCurrentLabels();
        model = std::make_unique<LabelsModel>(*session);
    }

    // The store on disk, as the next start would read it.
    LabelTable stored() const {
        LabelTable table{};
        readLabelFile(labelStorePath(dir.path().toStdString(), session->current().uid), table);
        return table;
    }

    std::unique_ptr<LabelsModel> model;
};

} // namespace

TEST_F(LabelsList, EditIsStoredAndShown) {
    QSignalSpy shown(model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy handedOver(session.get(), &Session::labelsChanged);
    model->setLabel(5, "Kick");
    EXPECT_EQ(model->label(5), "Kick");
    EXPECT_EQ(model->data(model->index(5, LabelsModel::Label), Qt::DisplayRole), "Kick");
    EXPECT_EQ(labelText(stored()[5]), "Kick");
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_EQ(handedOver.size(), 1);
}

TEST_F(LabelsList, RowsCarryNumberAndIoType) {
    EXPECT_EQ(model->rowCount(), kLabelCount);
    EXPECT_EQ(model->data(model->index(129, LabelsModel::Number), Qt::DisplayRole), "130");
    EXPECT_EQ(model->data(model->index(129, LabelsModel::IoType), Qt::DisplayRole),
              QString::fromStdString(labelIoTypeText(129)));
}

TEST_F(LabelsList, FilterNarrowsByIoTypeOrLabel) {
    LabelsFilter filter(*model);
    filter.setText("madi 2");
    EXPECT_EQ(filter.rowCount(), 128); // MADI 2 inputs and outputs
    model->setLabel(200, "Kick In");
    filter.setText("kick");
    ASSERT_EQ(filter.rowCount(), 1);
    EXPECT_EQ(filter.labelRow(0), 200);
    filter.setText("");
    EXPECT_EQ(filter.rowCount(), kLabelCount);
}

TEST_F(LabelsList, PasteFillsConsecutiveLabelsLikeALabelFile) {
    QSignalSpy handedOver(session.get(), &Session::labelsChanged);
    ASSERT_TRUE(model->paste(10, "Kick\r\nSnare\n\nA name much longer than sixteen\n"));
    EXPECT_EQ(model->label(10), "Kick");
    EXPECT_EQ(model->label(11), "Snare");
    EXPECT_EQ(model->label(12), "");
    EXPECT_EQ(model->label(13), "A name much long");
    EXPECT_EQ(model->label(14), QString::fromStdString(defaultLabelText(14)));
    EXPECT_EQ(labelText(stored()[13]), "A name much long");
    EXPECT_EQ(handedOver.size(), 1); // one edit, one store

    // Past the last label the lines are dropped; umlauts are printable.
    ASSERT_TRUE(model->paste(kLabelCount - 1, QString::fromUtf8("Bus Süd\nlost")));
    EXPECT_EQ(model->label(kLabelCount - 1), QString::fromUtf8("Bus Süd"));
}

TEST_F(LabelsList, PasteWithACharacterALabelFileRejectsChangesNothing) {
    const QString bad[] = {"Kick\tIn\nSnare", "Kick\rSnare", QString::fromUtf8("Snare \u2713")};
    for (const QString& text : bad) {
        ui.messages.clear();
        EXPECT_FALSE(model->paste(0, text));
        ASSERT_EQ(ui.messages.size(), 1U);
        EXPECT_EQ(ui.messages[0].title, kLabelImportErrorTitle);
        EXPECT_EQ(ui.messages[0].text, kNonPrintableLabelsText);
        EXPECT_EQ(model->label(0), QString::fromStdString(defaultLabelText(0)));
        EXPECT_EQ(model->label(1), QString::fromStdString(defaultLabelText(1)));
    }
}

// The list belongs to the unit it was made for: another unit shown meanwhile
// neither shows in it nor takes its edits.
TEST_F(LabelsList, StaysWithItsUnitWhenAnotherIsShown) {
    connectToDemo({12, 14});
    const DeviceUid first = session->currentUnit();
    LabelsModel list(*session);
    session->command(command_id::deviceCombo, 1);
    const DeviceUid second = session->currentUnit();
    ASSERT_NE(second, first);
    const QString secondsOwn = labelText(session->current().labels[5]);

    list.setLabel(5, "Kick");
    EXPECT_EQ(list.label(5), "Kick");
    EXPECT_EQ(labelText(session->unit(first)->labels[5]), "Kick");
    EXPECT_EQ(labelText(session->current().labels[5]), secondsOwn);
    LabelTable table{};
    readLabelFile(labelStorePath(dir.path().toStdString(), second), table);
    EXPECT_EQ(labelText(table[5]), secondsOwn);
}
