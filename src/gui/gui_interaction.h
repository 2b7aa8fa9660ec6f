#pragma once

#include "app/interaction.h"

#include <QPointer>
#include <QWidget>

namespace varento {

// Interaction with the user's own eyes and hands: modal message boxes with the
// given titles, icons and buttons, the platform's file dialogs, and the
// "Exchange Device" and "Firmware Warning" dialogs.
class GuiInteraction : public Interaction {
public:
    explicit GuiInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer message(const QString& title, const QString& text, MessageIcon icon,
                   MessageButtons buttons) override;
    std::optional<QString> openFileName(const FileDialogOptions& options) override;
    std::optional<QString> saveFileName(const FileDialogOptions& options) override;
    std::optional<int> chooseReplacementUnit(const QString& missingUnitText,
                                             const QStringList& onlineUnits) override;
    bool firmwareWarning(const QString& text) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace varento
