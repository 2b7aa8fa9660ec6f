#include "ui/models/labels_model.h"

#include "app/cp1252.h"
#include "app/label_flows.h"
#include "app/session.h"
#include "files/label_file.h"

namespace varento {

namespace {

// The lines as a label file gives them, or nothing when one holds a character a
// label file rejects (tab, a lone CR, anything Windows-1252 cannot write).
std::optional<QStringList> labelLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1); // a spreadsheet ends its last row too
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        line.truncate(kLabelChars);
        const std::string bytes = toWindows1252(line);
        for (const char c : bytes) {
            if (!isLabelPrintable(static_cast<std::uint8_t>(c))) {
                return std::nullopt;
            }
        }
        if (fromWindows1252(bytes) != line) {
            return std::nullopt;
        }
    }
    return lines;
}

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
    session_.editor(unit_).setLabel(row, text);
}

bool LabelsModel::paste(int row, const QString& text) {
    if (row < 0 || row >= kLabelCount || text.isEmpty()) {
        return false;
    }
    const auto lines = labelLines(text);
    if (!lines) {
        session_.interaction().inform(kLabelImportErrorTitle, kNonPrintableLabelsText,
                                      MessageIcon::Error);
        return false;
    }
    session_.editor(unit_).setLabels(row, *lines);
    return true;
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
