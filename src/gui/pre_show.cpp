// Before the doors open: the project compared with the units, the routing on paper.
#include "gui/main_window.h"

#include "app/interaction.h"
#include "app/session.h"
#include "print/routing_sheet.h"
#include "ui/dialogs/compare_project_dialog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

namespace varento {

void MainWindow::compareProjectWithUnits() {
    FileDialogOptions options = projectDialogOptions();
    options.title = QStringLiteral("Compare Project with Units");
    options.directory = QFileInfo(session_.state().lastSnapshotFileDirectory).absolutePath();
    options.fileName = session_.state().lastSnapshotFileName;
    const auto path = interaction_.openFileName(options);
    if (path) {
        openComparison(*path);
    }
}

void MainWindow::openComparison(const QString& path) {
    auto* dialog = new CompareProjectDialog(session_, path, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    dialog->compare();
}

// Every unit online, each bank on a page of its own; Letter where the system
// measures in inches.
void MainWindow::exportRoutingSheet() {
    const auto path = interaction_.saveFileName(
        {QStringLiteral("Export Routing Sheet"),
         QStringLiteral("PDF document (*.pdf);;PNG picture of the first page (*.png);;"
                        "CSV for a spreadsheet (*.csv)"),
         QStringLiteral("pdf"),
         {},
         QStringLiteral("Routing sheet.pdf")});
    if (!path) {
        return;
    }
    std::vector<SheetUnit> units;
    for (const DeviceRecord& unit : session_.discovered()) {
        if (session_.unitReady(unit.uid)) { // a unit still being read has no routing yet
            units.push_back({unit, session_.unitName(unit.uid)});
        }
    }
    const SheetPaper paper = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                                 ? SheetPaper::Letter
                                 : SheetPaper::A4;
    if (const auto error = writeSheet(*path, units, paper, QDateTime::currentDateTime())) {
        interaction_.inform(QStringLiteral("Export Routing Sheet"), *error + QLatin1Char('.'),
                            MessageIcon::Error);
        return;
    }
    setStatusText(0, QStringLiteral("The routing sheet of %1 unit(s) was written to %2.")
                         .arg(units.size())
                         .arg(*path));
}

} // namespace varento
