#pragma once

#include "app/project_compare.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace varento {

class Session;

// File > "Compare Project with Units...": each unit of the project read afresh and
// what differs listed under it; the project's values load into one unit or all,
// or the units' state is kept and saved into the project.
class CompareProjectDialog : public QDialog {
    Q_OBJECT

public:
    CompareProjectDialog(Session& session, const QString& path, QWidget* parent = nullptr);

    // Reads the units and compares again (also after a load or a save).
    void compare();
    const ProjectComparison& comparison() const { return comparison_; }

private:
    void showComparison(const ProjectComparison& comparison);
    void loadInto(const std::vector<DeviceUid>& units, const QString& which);
    void saveIntoProject();
    std::vector<DeviceUid> comparedUnits() const;
    std::optional<DeviceUid> selectedUnit() const;
    void updateButtons();

    Session& session_;
    QString path_;
    ProjectComparison comparison_;
    bool reading_ = false;
    QLabel* summary_;
    QProgressBar* progress_;
    QTreeWidget* tree_;
    QPushButton* loadUnit_;
    QPushButton* loadAll_;
    QPushButton* keepUnits_;
    QPushButton* again_;
};

} // namespace varento
