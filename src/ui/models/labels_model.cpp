#include "ui/models/labels_model.h"

#include "app/clipboard_table.h"
#include "app/cp1252.h"
#include "app/session.h"
#include "files/label_file.h"

#include <QPointer>
#include <QRegularExpression>

#include <algorithm>

namespace varento {

namespace {

constexpr const char* kPasteTitle = "Paste Labels";

} // namespace

LabelsModel::LabelsModel(Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session), unit_(session.currentUnit()) {
    connect(&session_, &Session::labelsChanged, this,
            [this] { emit dataChanged(index(0, Label), index(kLabelCount - 1, Label)); });
}

int LabelsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kLabelCount;
}

int LabelsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LabelsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case Number:
        return QString::number(index.row() + 1);
    case Label:
        return label(index.row());
    default:
        return QString::fromStdString(labelIoTypeText(index.row()));
    }
}

QVariant LabelsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kCaptions[] = {"No.", "Label", "I/O Type"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return {};
    }
    return QString::fromLatin1(kCaptions[section]);
}

QString LabelsModel::label(int row) const {
    if (row < 0 || row >= kLabelCount) {
        return {};
    }
    const DeviceRecord* unit = session_.unit(unit_);
    if (unit == nullptr) {
        unit = &session_.current(); // offline: the unit worked on
    }
    return labelText(unit->labels[static_cast<std::size_t>(row)]);
}

void LabelsModel::setLabel(int row, const QString& text) {
    if (row < 0 || row >= kLabelCount) {
        return;
    }
    remember(row, 1);
    session_.editor(unit_).setLabel(row, text);
}

void LabelsModel::remember(int first, int count) {
    QStringList before;
    for (int row = first; row < first + count; ++row) {
        before << label(row);
    }
    undo_.push_back({first, before});
    emit undoChanged();
}

void LabelsModel::undo() {
    if (undo_.empty()) {
        return;
    }
    const Step step = undo_.back();
    undo_.pop_back();
    session_.editor(unit_).setLabels(step.first, step.before);
    emit undoChanged();
}

bool LabelsModel::paste(int row, const QString& text, QChar separator) {
    if (row < 0 || row >= kLabelCount || text.isEmpty()) {
        return false;
    }
    Interaction& ui = session_.interaction();
    QStringList cells = firstColumn(parseClipboardTable(text, separator));
    const int end = row < kImportLabelLimit ? kImportLabelLimit : kLabelCount;
    const auto unused = std::max<qsizetype>(0, cells.size() - (end - row));
    const qsizetype total = cells.size();
    cells = cells.mid(0, cells.size() - unused);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        // A label is one line: a line break inside a cell becomes a space.
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
        cells[i] = composed(cells[i].replace(lineBreak, QStringLiteral(" "))).left(kLabelChars);
        if (const auto unkept = firstUnkeptCharacter(cells[i])) {
            ui.inform(kPasteTitle,
                      QStringLiteral("Row %1 of the clipboard: %2 Nothing was pasted.")
                          .arg(i + 1)
                          .arg(unkeptCharacterText(*unkept)),
                      MessageIcon::Error);
            return false;
        }
    }
    int changed = 0;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        changed += cells[i] != label(row + static_cast<int>(i)) ? 1 : 0;
    }
    if (changed > 1) {
        // The question runs a loop of its own: the dialog may close under it when
        // another unit is shown, and this list with it.
        const QPointer<LabelsModel> alive(this);
        const Answer answer = ui.message(
            kPasteTitle, QStringLiteral("Replace %1 labels from the clipboard?").arg(changed),
            MessageIcon::Question, MessageButtons::YesNo);
        if (alive.isNull() || answer != Answer::Yes) {
            return false;
        }
    }
    if (changed > 0) {
        remember(row, static_cast<int>(cells.size()));
        session_.editor(unit_).setLabels(row, cells);
    }
    if (unused > 0) {
        ui.inform(kPasteTitle,
                  QStringLiteral("%1 of the clipboard's %2 rows were not used: a paste stops at "
                                 "label %3%4.")
                      .arg(unused)
                      .arg(total)
                      .arg(end)
                      .arg(end == kImportLabelLimit ? QStringLiteral(", before the bus labels")
                                                    : QString()),
                  MessageIcon::Information);
    }
    return true;
}

QString LabelsModel::copyText(const QList<int>& rows) const {
    QStringList cells;
    for (const int row : rows) {
        cells << label(row);
    }
    return columnText(cells);
}

LabelsFilter::LabelsFilter(LabelsModel& source, QObject* parent) : QSortFilterProxyModel(parent) {
    setSourceModel(&source);
    setFilterKeyColumn(-1);
    setFilterCaseSensitivity(Qt::CaseInsensitive);
}

void LabelsFilter::setText(const QString& text) {
    setFilterFixedString(text.trimmed());
}

int LabelsFilter::labelRow(int shownRow) const {
    return mapToSource(index(shownRow, 0)).row();
}

} // namespace varento
