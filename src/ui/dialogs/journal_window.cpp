#include "ui/dialogs/journal_window.h"

#include "app/cp1252.h"
#include "app/session.h"
#include "ui/dialogs/report_list.h"

#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace varento {

namespace {

// The name the unit selector shows, for a unit of the device list.
std::function<QString(const QString&)> deviceListNames(const Session& session) {
    return [&session](const QString& unit) {
        const KnownDevice* entry = session.deviceList().find(unitIdFromText(unit.toStdString()));
        return entry == nullptr
                   ? QString()
                   : fromWindows1252(entry->typeName) + " - " + fromWindows1252(entry->userName);
    };
}

} // namespace

JournalWindow::JournalWindow(Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(deviceListNames(session)),
      unitFilter_(new QComboBox(this)), list_(new ReportList(this)) {
    setObjectName(QStringLiteral("Journal"));
    setWindowTitle(QStringLiteral("Journal"));
    setAttribute(Qt::WA_DeleteOnClose);

    unitFilter_->setObjectName(QStringLiteral("unit"));
    unitFilter_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(unitFilter_, &QComboBox::currentIndexChanged, &model_, &JournalModel::selectUnit);
    connect(&model_, &JournalModel::unitChoicesChanged, this, &JournalWindow::fillUnitFilter);

    list_->setObjectName(QStringLiteral("list"));
    list_->setModel(&model_);
    list_->setColumnWidths(JournalModel::kColumnWidths);
    int width = 0;
    for (const int column : JournalModel::kColumnWidths) {
        width += column;
    }
    list_->setMinimumSize(width + 24, 360);
    connect(&model_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        const QScrollBar* bar = list_->verticalScrollBar();
        followNewest_ = bar->value() >= bar->maximum();
    });
    connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] {
        if (followNewest_) {
            list_->scrollToBottom();
        }
    });
    connect(&model_, &QAbstractItemModel::modelReset, list_, &QTreeView::scrollToBottom);

    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Unit:"), this);
    label->setBuddy(unitFilter_);
    top->addWidget(label);
    top->addWidget(unitFilter_);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_);

    model_.load(session.journal().entries());
    connect(&session.journal(), &Journal::recorded, &model_, &JournalModel::append);
}

void JournalWindow::fillUnitFilter() {
    const QSignalBlocker quiet(unitFilter_);
    unitFilter_->clear();
    unitFilter_->addItems(model_.unitChoices());
    unitFilter_->setCurrentIndex(model_.selectedUnit());
}

} // namespace varento
