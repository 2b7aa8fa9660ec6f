#include "app/cp1252.h"
#include "files/label_file.h"
#include "support/demo_session.h"
#include "support/modal.h"
#include "ui/dialogs/device_manager_dialog.h"
#include "ui/dialogs/edit_label_dialog.h"
#include "ui/dialogs/labels_dialog.h"
#include "ui/dialogs/report_list.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

using namespace varento;
using namespace varento::testing;

namespace {

QPoint rowCentre(ReportList& list, int row) {
    return list.visualRect(list.model()->index(row, 1)).center();
}

void doubleClickRow(ReportList& list, int row) {
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rowCentre(list, row));
}

// Answers the "Edit Label" dialog the next double click opens; nothing typed cancels it.
void answerEditLabel(std::optional<QString> typed) {
    whenModal([typed](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("1041"));
        ASSERT_NE(field, nullptr);
        if (!typed) {
            QTest::keyClick(field, Qt::Key_Escape);
            return;
        }
        field->setText(*typed);
        QTest::keyClick(field, Qt::Key_Return);
    });
}

// Press, move past the drag distance in steps, release.
void drag(ReportList& list, QPoint from, QPoint to) {
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, from);
    for (int k = 1; k <= 4; ++k) {
        QMouseEvent move(QEvent::MouseMove, from + (to - from) * k / 4,
                         list.viewport()->mapToGlobal(from + (to - from) * k / 4), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &move);
    }
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, to);
}

QString rowText(ReportList& list, int row, int column) {
    return list.model()->index(row, column).data().toString();
}

DeviceList threeUnits() {
    DeviceList list;
    for (int i = 1; i <= 3; ++i) {
        DeviceUid uid;
        uid.bytes[0] = static_cast<std::uint8_t>(i);
        list.addOrRefresh(uid, "VARENTO.PX", 4, 1)->userName = "unit " + std::to_string(i);
    }
    return list;
}

} // namespace

TEST(DeviceManagerDialog, KeysClicksAndDragsEditTheList) {
    ScriptedInteraction ui;
    DeviceList list = threeUnits();
    DeviceManagerDialog dialog(list, ui);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ReportList& rows = *dialog.list();

    // Dragging the third row to the upper half of the first puts it on top.
    drag(rows, rowCentre(rows, 2), rowCentre(rows, 0) - QPoint(0, 3));
    EXPECT_EQ(rowText(rows, 0, DeviceManager::Name), "unit 3");
    EXPECT_EQ(rowText(rows, 0, DeviceManager::Pos), "1");
    EXPECT_EQ(rows.selectedRow(), 0);

    // A double click renames through "Edit Label"; Cancel leaves the name.
    answerEditLabel(QStringLiteral("Front of house"));
    doubleClickRow(rows, 1);
    EXPECT_EQ(rowText(rows, 1, DeviceManager::Name), "Front of house");
    answerEditLabel(std::nullopt);
    doubleClickRow(rows, 1);
    EXPECT_EQ(rowText(rows, 1, DeviceManager::Name), "Front of house");

    // Delete on the selected row, answered Yes.
    QTest::mouseClick(rows.viewport(), Qt::LeftButton, {}, rowCentre(rows, 2));
    QTest::keyClick(&rows, Qt::Key_Delete);
    EXPECT_EQ(rows.model()->rowCount(), 2);
    ASSERT_EQ(ui.messages.size(), 1U);

    DeviceManager::accept(list);
    std::vector<std::string> names;
    for (const KnownDevice& e : list) {
        names.push_back(e.userName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"unit 3", "Front of house"}));
}

// A reorder needs a real drag that starts on a row: a press below the rows, or a
// move shorter than the platform's drag distance across a row border, moves
// nothing. Dragged onto the lower half of the next row, a row moves down one; below
// the last row, into the last place.
TEST(DeviceManagerDialog, RowsMoveOnlyByARealDrag) {
    ScriptedInteraction ui;
    DeviceList list = threeUnits();
    DeviceManagerDialog dialog(list, ui);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ReportList& rows = *dialog.list();
    const auto names = [&] {
        QStringList out;
        for (int r = 0; r < 3; ++r) {
            out << rowText(rows, r, DeviceManager::Name);
        }
        return out;
    };
    const QStringList start = names();
    rows.selectRow(0);
    const QPoint belowRows(rowCentre(rows, 2).x(),
                           rows.visualRect(rows.model()->index(2, 0)).bottom() + 30);
    drag(rows, belowRows, rowCentre(rows, 2));
    EXPECT_EQ(names(), start);
    const QRect second = rows.visualRect(rows.model()->index(1, 0));
    const int step = qMax(1, QApplication::startDragDistance() / 2 - 1);
    drag(rows, QPoint(second.center().x(), second.top() + 1),
         QPoint(second.center().x(), second.top() + 1 - step));
    EXPECT_EQ(names(), start);

    drag(rows, rowCentre(rows, 0), rowCentre(rows, 1) + QPoint(0, 3));
    EXPECT_EQ(names(), (QStringList{"unit 2", "unit 1", "unit 3"}));
    drag(rows, rowCentre(rows, 0), belowRows);
    EXPECT_EQ(names(), (QStringList{"unit 1", "unit 3", "unit 2"}));
}

// Escape cancels the dialog: the drag and the delete made in it are undone.
TEST(DeviceManagerDialog, CancelPutsTheListBack) {
    ScriptedInteraction ui;
    DeviceList list = threeUnits();
    DeviceManagerDialog dialog(list, ui);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(dialog.model().drop(2, 0));
    ui.answers.push_back(Answer::Yes);
    ASSERT_TRUE(dialog.model().requestDelete(1));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    DeviceManager::accept(list);
    std::vector<std::string> names;
    for (const KnownDevice& e : list) {
        names.push_back(e.userName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"unit 1", "unit 2", "unit 3"}));
}

// The field takes what is kept (16 characters of a label, 255 of a name); OK refuses
// a character a label cannot hold, naming it, and composes a decomposed accent.
TEST(EditLabelDialog, TakesWhatIsKeptAndRefusesWhatCannotBe) {
    for (const int limit : {17, 256}) {
        EditLabelDialog dialog(QString(), limit);
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("1041"))->maxLength(), limit - 1);
    }
    EditLabelDialog dialog(QStringLiteral("Kick"), 17);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("1041"));
    auto* refusal = dialog.findChild<QLabel*>(QStringLiteral("refusal"));
    field->setText(QString::fromUtf8("Chor \u03A9"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(refusal->isVisible());
    EXPECT_TRUE(refusal->text().contains(QString::fromUtf8("\"\u03A9\"")))
        << refusal->text().toStdString();
    field->setText(QString::fromUtf8("Caf\u0065\u0301"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.label(), QString::fromUtf8("Caf\u00E9"));
}

class LabelsDialogTest : public DemoSessionTest {
protected:
    void SetUp() override {
        DemoSessionTest::SetUp();
        session->loadCurrentLabels();
    }
    QString label(int i) const {
        return labelText(session->current().labels[static_cast<std::size_t>(i)]);
    }
};

TEST_F(LabelsDialogTest, DoubleClickFilterAndPasteEditLabels) {
    LabelsDialog dialog(*session);
    EXPECT_EQ(dialog.windowTitle(), "Labels - " + session->unitName(session->currentUnit()));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ReportList& rows = *dialog.list();
    const QString third = label(3);

    answerEditLabel(QStringLiteral("Kick"));
    doubleClickRow(rows, 2);
    EXPECT_EQ(label(2), "Kick");
    EXPECT_EQ(rowText(rows, 2, LabelsModel::Label), "Kick");

    answerEditLabel(std::nullopt);
    doubleClickRow(rows, 3);
    EXPECT_EQ(label(3), third);
    EXPECT_EQ(rowText(rows, 3, LabelsModel::Label), third);

    // In place edit key: the same edit of the label, stored.
    rows.selectRow(4);
    answerEditLabel(QStringLiteral("Snare"));
    QTest::keyClick(&rows, Qt::Key_F2);
    EXPECT_EQ(label(4), "Snare");

    // Filtered, the rows shown edit the labels they show.
    QTest::keyClicks(dialog.filter(), QStringLiteral("MADI 2"));
    EXPECT_EQ(rows.model()->rowCount(), 128);
    answerEditLabel(QStringLiteral("Playback 1"));
    doubleClickRow(rows, 0);
    EXPECT_EQ(label(128), "Playback 1");
    dialog.filter()->clear();
    EXPECT_EQ(rows.model()->rowCount(), kLabelCount);

    // The Edit menu's keys: paste asks once, undo takes it back, copy gives a column.
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QGuiApplication::clipboard()->setText(QStringLiteral("Vox 1\nVox 2\n"));
    rows.selectRow(10);
    QTest::keyClick(&rows, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(label(10), "Vox 1");
    EXPECT_EQ(label(11), "Vox 2");
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].text, "Replace 2 labels from the clipboard?");
    rows.selectionModel()->select(rows.model()->index(11, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(&rows, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Vox 1\r\nVox 2\r\n");
    QTest::keyClick(&rows, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(label(10), QString::fromStdString(defaultLabelText(10)));
    ASSERT_EQ(dialog.findChildren<QMenu*>().size(), 1);
    EXPECT_EQ(dialog.findChildren<QMenu*>()[0]->title(), "&Edit");
}
