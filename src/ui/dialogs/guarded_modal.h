#pragma once

#include <QDialog>
#include <QPointer>

#include <optional>

namespace varento {

// Runs a dialog made on the heap modally. The window it was opened over may be
// closed while it runs (a lost link closes the views) and takes the dialog with
// it; then nothing is returned, and the caller must check its own window before
// touching it. Otherwise the caller owns the dialog again.
inline std::optional<int> execGuarded(QDialog* dialog) {
    const QPointer<QDialog> alive(dialog);
    const int result = dialog->exec();
    if (alive.isNull()) {
        return std::nullopt;
    }
    return result;
}

} // namespace varento
