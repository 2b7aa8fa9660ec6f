#include "app/clipboard_table.h"
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

TEST_F(LabelsList, PasteFillsConsecutiveLabelsAfterOneQuestion) {
    QSignalSpy handedOver(session.get(), &Session::labelsChanged);
    ASSERT_TRUE(model->paste(10, "Kick\r\nSnare\n\nA name much longer than sixteen\n"));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].text, "Replace 4 labels from the clipboard?");
    EXPECT_EQ(model->label(10), "Kick");
    EXPECT_EQ(model->label(11), "Snare");
    EXPECT_EQ(model->label(12), "");
    EXPECT_EQ(model->label(13), "A name much long");
    EXPECT_EQ(model->label(14), QString::fromStdString(defaultLabelText(14)));
    EXPECT_EQ(labelText(stored()[13]), "A name much long");
    EXPECT_EQ(handedOver.size(), 1); // one edit, one store

    // No to the question: nothing changes. One label changed is not asked.
    ui.messages.clear();
    ui.answers.push_back(Answer::No);
    EXPECT_FALSE(model->paste(20, "Tom 1\nTom 2"));
    EXPECT_EQ(model->label(20), QString::fromStdString(defaultLabelText(20)));
    ASSERT_TRUE(model->paste(20, QString::fromUtf8("Bu\u0308hne")));
    EXPECT_EQ(model->label(20), QString::fromUtf8("B\u00FChne"));
    EXPECT_EQ(ui.messages.size(), 1U);
}

// Clipboard text as a spreadsheet writes it: tab-separated rows ended by CR LF,
// quoted cells with doubled quotes and line breaks. The first column is taken,
// each cell one label.
TEST_F(LabelsList, PasteReadsASpreadsheetsClipboard) {
    const QString sheet =
        "\"Snare\nTop\"\tin 2\r\n\"12\"\" Tom\"\tin 3\r\nHat\tin 4\r\n\r\nRide\r\n";
    ASSERT_TRUE(model->paste(40, sheet));
    EXPECT_EQ(model->label(40), "Snare Top");
    EXPECT_EQ(model->label(41), "12\" Tom");
    EXPECT_EQ(model->label(42), "Hat");
    EXPECT_EQ(model->label(43), "");
    EXPECT_EQ(model->label(44), "Ride");
    EXPECT_EQ(model->label(45), QString::fromStdString(defaultLabelText(45)));
    // The same as CSV, and a plain column with a quote inside a line.
    ASSERT_TRUE(model->paste(50, "\"Kick, In\",x\n\"Kick \"\"Out\"\"\"\n", u','));
    EXPECT_EQ(model->label(50), "Kick, In");
    EXPECT_EQ(model->label(51), "Kick \"Out\"");
    ASSERT_TRUE(model->paste(60, "Vox \"A\"\nVox B"));
    EXPECT_EQ(model->label(60), "Vox \"A\"");
    // A quote that never closes is text, not the rest of the clipboard in one label.
    ASSERT_TRUE(model->paste(70, "\"Kick\nSnare\n"));
    EXPECT_EQ(model->label(70), "\"Kick");
    EXPECT_EQ(model->label(71), "Snare");

    // Copied back, the column reads the same; a leading quote is quoted.
    model->setLabel(42, "\"Hat\"");
    const QString copied = model->copyText({40, 41, 42});
    EXPECT_EQ(copied, "Snare Top\r\n12\" Tom\r\n\"\"\"Hat\"\"\"\r\n");
    EXPECT_EQ(firstColumn(parseClipboardTable(copied, u'\t')),
              (QStringList{"Snare Top", "12\" Tom", "\"Hat\""}));
}

// More rows than labels: the paste stops before the bus labels, as an import does,
// and says how many rows were left; from a bus label on it runs to the last label.
TEST_F(LabelsList, PasteStopsWhereAnImportStopsAndSaysWhatWasLeft) {
    QStringList rows;
    for (int i = 0; i < 400; ++i) {
        rows << QString("Row %1").arg(i);
    }
    rows.back() = QString::fromUtf8("Chor \u03A9"); // left over, so never refused
    ASSERT_TRUE(model->paste(381, rows.join("\r\n")));
    EXPECT_EQ(model->label(383), "Row 2");
    EXPECT_EQ(model->label(384), "BUS 1");
    ASSERT_EQ(ui.messages.size(), 2U);
    EXPECT_TRUE(ui.messages[1].text.startsWith("397 of the clipboard's 400 rows were not used"))
        << ui.messages[1].text.toStdString();
    ui.messages.clear();
    ASSERT_TRUE(model->paste(kLabelCount - 1, QString::fromUtf8("Bus Süd\nlost")));
    EXPECT_EQ(model->label(kLabelCount - 1), QString::fromUtf8("Bus Süd"));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_TRUE(ui.messages[0].text.startsWith("1 of the clipboard's 2 rows"));
}

TEST_F(LabelsList, PasteWithACharacterALabelCannotHoldChangesNothing) {
    const QString bad[] = {QString::fromUtf8("Kick\nSnare \u2713"), "Kick\nHat\x01"};
    for (const QString& text : bad) {
        ui.messages.clear();
        EXPECT_FALSE(model->paste(0, text));
        ASSERT_EQ(ui.messages.size(), 1U);
        EXPECT_EQ(ui.messages[0].title, "Paste Labels");
        EXPECT_TRUE(ui.messages[0].text.startsWith("Row 2 of the clipboard: "))
            << ui.messages[0].text.toStdString();
        EXPECT_FALSE(ui.messages[0].text.contains("file"));
        EXPECT_EQ(model->label(0), QString::fromStdString(defaultLabelText(0)));
    }
    EXPECT_TRUE(ui.messages[0].text.contains("(U+0001)"));
}

// Undo takes back the pastes and edits made through the list, last first.
TEST_F(LabelsList, UndoTakesBackPastesAndEdits) {
    EXPECT_FALSE(model->canUndo());
    ASSERT_TRUE(model->paste(0, "Kick\nSnare\nHat"));
    model->setLabel(1, "Snare Top");
    model->undo();
    EXPECT_EQ(model->label(1), "Snare");
    model->undo();
    EXPECT_EQ(model->label(0), QString::fromStdString(defaultLabelText(0)));
    EXPECT_EQ(model->label(2), QString::fromStdString(defaultLabelText(2)));
    EXPECT_EQ(labelText(stored()[2]), QString::fromStdString(defaultLabelText(2)));
    EXPECT_FALSE(model->canUndo());
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
