#include "ui/dialogs/compare_project_dialog.h"

#include "app/session.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace varento {

namespace {

constexpr int kUidRole = Qt::UserRole;

QString unitHeading(const UnitComparison& u) {
    QString text = u.name;
    if (!u.model.isEmpty()) {
        text += QStringLiteral(" (%1)").arg(u.model);
    }
    if (u.presence != UnitComparison::Presence::Compared) {
        return text + QStringLiteral(": ") + QString::fromLatin1(presenceText(u.presence));
    }
    text += u.differences.empty() ? QStringLiteral(": as in the project")
                                  : QStringLiteral(": %1 difference(s)").arg(u.differences.size());
    return u.labelsCompared ? text : text + QStringLiteral(", labels not kept in the project");
}

} // namespace

CompareProjectDialog::CompareProjectDialog(Session& session, const QString& path, QWidget* parent)
    : QDialog(parent), session_(session), path_(path), summary_(new QLabel(this)),
      progress_(new QProgressBar(this)), tree_(new QTreeWidget(this)),
      loadUnit_(new QPushButton(QStringLiteral("Load Project into &Unit"), this)),
      loadAll_(new QPushButton(QStringLiteral("Load Project into &All Units"), this)),
      keepUnits_(new QPushButton(QStringLiteral("&Keep Units, Save into Project"), this)),
      again_(new QPushButton(QStringLiteral("Compare A&gain"), this)) {
    setWindowTitle(QStringLiteral("Compare Project - %1").arg(QFileInfo(path).fileName()));
    resize(840, 520);
    summary_->setWordWrap(true);
    tree_->setColumnCount(4);
    tree_->setHeaderLabels({QStringLiteral("Unit / part"), QStringLiteral("Item"),
                            QStringLiteral("Project"), QStringLiteral("Unit")});
    tree_->header()->setSectionResizeMode(QHeaderView::Interactive);
    tree_->setColumnWidth(0, 250);
    tree_->setColumnWidth(2, 170);
    tree_->setColumnWidth(1, 200);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(again_, QDialogButtonBox::ActionRole);
    auto* actions = new QHBoxLayout;
    actions->addWidget(loadUnit_);
    actions->addWidget(loadAll_);
    actions->addWidget(keepUnits_);
    actions->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(progress_);
    layout->addWidget(tree_, 1);
    layout->addLayout(actions);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(again_, &QPushButton::clicked, this, &CompareProjectDialog::compare);
    connect(tree_, &QTreeWidget::currentItemChanged, this, &CompareProjectDialog::updateButtons);
    connect(loadUnit_, &QPushButton::clicked, this, [this] {
        if (const auto unit = selectedUnit()) {
            loadInto({*unit}, session_.unitName(*unit));
        }
    });
    connect(loadAll_, &QPushButton::clicked, this,
            [this] { loadInto(comparedUnits(), QStringLiteral("every unit compared")); });
    connect(keepUnits_, &QPushButton::clicked, this, &CompareProjectDialog::saveIntoProject);
    updateButtons();
}

void CompareProjectDialog::compare() {
    // Set before asking: a project none of whose units is online is done at once.
    summary_->setText(QStringLiteral("Reading the units of the project..."));
    tree_->clear();
    progress_->show();
    reading_ = true;
    updateButtons();
    QPointer<CompareProjectDialog> guard(this);
    const auto refused = session_.compareProject(path_, [guard](const ProjectComparison& c) {
        if (guard) {
            guard->showComparison(c);
        }
    });
    if (refused) {
        summary_->setText(QStringLiteral("The project cannot be compared: %1.").arg(*refused));
        progress_->hide();
        reading_ = false;
        updateButtons();
        return;
    }
    if (const UnitReader* reader = reading_ ? session_.compareReader() : nullptr) {
        progress_->setRange(0, std::max(1, reader->stepCount()));
        progress_->setValue(reader->stepsDone());
        connect(reader, &UnitReader::progressed, progress_,
                [this, reader] { progress_->setValue(reader->stepsDone()); });
    }
}

void CompareProjectDialog::showComparison(const ProjectComparison& comparison) {
    comparison_ = comparison;
    reading_ = false;
    progress_->hide();
    tree_->clear();
    for (const UnitComparison& u : comparison.units) {
        auto* unit = new QTreeWidgetItem(tree_, {unitHeading(u)});
        unit->setData(0, kUidRole,
                      QByteArray(reinterpret_cast<const char*>(u.uid.bytes.data()),
                                 static_cast<qsizetype>(u.uid.bytes.size())));
        unit->setFirstColumnSpanned(true);
        for (const Difference& d : u.differences) {
            new QTreeWidgetItem(unit,
                                {QString::fromLatin1(partName(d.part)), d.item, d.project, d.unit});
        }
        unit->setExpanded(u.differences.size() <= 40);
        if (tree_->currentItem() == nullptr && !u.differences.empty()) {
            tree_->setCurrentItem(unit); // the first unit to settle
        }
    }
    summary_->setText(comparison.differs()
                          ? QStringLiteral("The units differ from the project (read in %1 ms).")
                                .arg(comparison.readMs, 0, 'f', 1)
                          : QStringLiteral("The units hold what the project says (read in %1 ms).")
                                .arg(comparison.readMs, 0, 'f', 1));
    updateButtons();
}

std::vector<DeviceUid> CompareProjectDialog::comparedUnits() const {
    std::vector<DeviceUid> units;
    for (const UnitComparison& u : comparison_.units) {
        if (u.presence == UnitComparison::Presence::Compared) {
            units.push_back(u.uid);
        }
    }
    return units;
}

std::optional<DeviceUid> CompareProjectDialog::selectedUnit() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    while (item != nullptr && item->parent() != nullptr) {
        item = item->parent();
    }
    if (item == nullptr) {
        return std::nullopt;
    }
    const QByteArray bytes = item->data(0, kUidRole).toByteArray();
    for (const UnitComparison& u : comparison_.units) {
        if (u.presence == UnitComparison::Presence::Compared &&
            QByteArray(reinterpret_cast<const char*>(u.uid.bytes.data()), 16) == bytes) {
            return u.uid;
        }
    }
    return std::nullopt;
}

void CompareProjectDialog::updateButtons() {
    const bool idle = !reading_;
    loadUnit_->setEnabled(idle && selectedUnit().has_value());
    loadAll_->setEnabled(idle && !comparedUnits().empty());
    keepUnits_->setEnabled(idle && !comparedUnits().empty());
    again_->setEnabled(idle);
}

void CompareProjectDialog::loadInto(const std::vector<DeviceUid>& units, const QString& which) {
    if (QMessageBox::question(this, QStringLiteral("Compare Project"),
                              QStringLiteral("Load the project's settings, routing, gains and "
                                             "labels into %1?")
                                  .arg(which)) != QMessageBox::Yes) {
        return;
    }
    const Session::FileLoad load = session_.loadProjectInto(path_, units);
    if (!load.error.isEmpty()) {
        summary_->setText(QStringLiteral("The project was not loaded: %1.").arg(load.error));
        return;
    }
    compare(); // the reads queue behind the load's frames
}

void CompareProjectDialog::saveIntoProject() {
    if (QMessageBox::question(this, QStringLiteral("Compare Project"),
                              QStringLiteral("Keep the units as they are and save their state "
                                             "into %1?")
                                  .arg(QFileInfo(path_).fileName())) != QMessageBox::Yes) {
        return;
    }
    if (const auto error = session_.saveUnitsIntoProject(path_, comparedUnits())) {
        summary_->setText(QStringLiteral("The project was not saved: %1.").arg(*error));
        return;
    }
    compare();
}

} // namespace varento
