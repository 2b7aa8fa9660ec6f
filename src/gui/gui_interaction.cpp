#include "gui/gui_interaction.h"

#include "ui/dialogs/exchange_device_dialog.h"
#include "ui/dialogs/firmware_warning_dialog.h"

#include <QFileDialog>
#include <QMessageBox>

namespace varento {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogOptions& options,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, options.title, options.directory, options.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(options.defaultExtension);
    if (!options.fileName.isEmpty()) {
        dialog.selectFile(options.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

Answer GuiInteraction::message(const QString& title, const QString& text, MessageIcon icon,
                               MessageButtons buttons) {
    QMessageBox box(boxIcon(icon), title, text, boxButtons(buttons), parent_);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        // Escape or the close box: the safe answer for the buttons on offer.
        return buttons == MessageButtons::YesNo ? Answer::No
               : buttons == MessageButtons::Ok  ? Answer::Ok
                                                : Answer::Cancel;
    }
}

std::optional<QString> GuiInteraction::openFileName(const FileDialogOptions& options) {
    return runFileDialog(parent_, options, QFileDialog::AcceptOpen);
}

std::optional<QString> GuiInteraction::saveFileName(const FileDialogOptions& options) {
    return runFileDialog(parent_, options, QFileDialog::AcceptSave);
}

std::optional<int> GuiInteraction::chooseReplacementUnit(const QString& missingUnitText,
                                                         const QStringList& onlineUnits) {
    ExchangeDeviceDialog dialog(missingUnitText, onlineUnits, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.choice();
}

bool GuiInteraction::firmwareWarning(const QString& text) {
    FirmwareWarningDialog dialog(text, parent_);
    dialog.exec();
    return dialog.showAgain();
}

} // namespace varento
