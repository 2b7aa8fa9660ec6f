#include "ui/dialogs/labels_dialog.h"

#include "app/session.h"

#include "ui/dialogs/edit_label_dialog.h"
#include "ui/dialogs/report_list.h"

#include <QAction>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace varento {

LabelsDialog::LabelsDialog(Session& session, QWidget* parent)
    : QDialog(parent), model_(session), shown_(model_), filterField_(new QLineEdit(this)),
      list_(new ReportList(this)) {
    setObjectName(QStringLiteral("204"));
    setWindowTitle(QStringLiteral("Labels - ") + session.unitName(session.currentUnit()));
    // Bound to its unit: another unit shown closes it, storing nothing more.
    connect(&session, &Session::currentUnitChanged, this, &QDialog::reject);
    filterField_->setObjectName(QStringLiteral("filter"));
    filterField_->setPlaceholderText(QStringLiteral("Filter (label or I/O type, e.g. MADI 2)"));
    filterField_->setClearButtonEnabled(true);
    connect(filterField_, &QLineEdit::textChanged, &shown_, &LabelsFilter::setText);

    list_->setObjectName(QStringLiteral("1077"));
    list_->setModel(&shown_);
    list_->setColumnWidths(LabelsModel::kColumnWidths);
    list_->setMinimumHeight(420);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(list_, &ReportList::editRequested, this, &LabelsDialog::edit);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("1"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    buildEditMenu();
    layout->addWidget(filterField_);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

void LabelsDialog::edit(int shownRow) {
    const int row = shown_.labelRow(shownRow);
    const QString before = model_.label(row);
    const auto after = EditLabelDialog::edit(before, LabelsModel::kEditLimit, this);
    if (after && *after != before) {
        model_.setLabel(row, *after);
    }
}

void LabelsDialog::buildEditMenu() {
    auto* bar = new QMenuBar(this);
    QMenu* menu = bar->addMenu(QStringLiteral("&Edit"));
    const auto add = [&](const QString& text, QKeySequence::StandardKey key, auto slot) {
        QAction* action = menu->addAction(text, this, slot);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        return action;
    };
    QAction* undo = add(QStringLiteral("&Undo"), QKeySequence::Undo, [this] { model_.undo(); });
    undo->setEnabled(false);
    connect(&model_, &LabelsModel::undoChanged, undo,
            [this, undo] { undo->setEnabled(model_.canUndo()); });
    menu->addSeparator();
    add(QStringLiteral("&Copy"), QKeySequence::Copy, [this] { copy(); });
    add(QStringLiteral("&Paste"), QKeySequence::Paste, [this] { paste(); });
    layout()->setMenuBar(bar);
}

QList<int> LabelsDialog::selectedLabelRows() const {
    QList<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
        rows << shown_.labelRow(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Spreadsheets offer their own formats beside plain text; those carry the quoting.
void LabelsDialog::paste() {
    const QList<int> rows = selectedLabelRows();
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    if (rows.isEmpty() || offered == nullptr) {
        return;
    }
    const QString tsv = QStringLiteral("text/tab-separated-values");
    const QString csv = QStringLiteral("text/csv");
    if (offered->hasFormat(tsv)) {
        model_.paste(rows.first(), QString::fromUtf8(offered->data(tsv)));
    } else if (offered->hasFormat(csv)) {
        model_.paste(rows.first(), QString::fromUtf8(offered->data(csv)), u',');
    } else {
        model_.paste(rows.first(), offered->text());
    }
}

void LabelsDialog::copy() {
    const QList<int> rows = selectedLabelRows();
    if (!rows.isEmpty()) {
        QGuiApplication::clipboard()->setText(model_.copyText(rows));
    }
}

} // namespace varento
