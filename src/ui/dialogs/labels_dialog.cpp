#include "ui/dialogs/labels_dialog.h"

#include "app/session.h"

#include "ui/dialogs/edit_label_dialog.h"
#include "ui/dialogs/report_list.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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
    connect(list_, &ReportList::editRequested, this, &LabelsDialog::edit);
    connect(list_, &ReportList::pasteRequested, this, &LabelsDialog::paste);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("1"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
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

void LabelsDialog::paste(int shownRow) {
    if (shownRow >= 0) {
        model_.paste(shown_.labelRow(shownRow), QGuiApplication::clipboard()->text());
    }
}

} // namespace varento
