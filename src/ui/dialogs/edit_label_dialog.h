#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace varento {

// "Edit Label": one text field and OK / Cancel, shared by every window that
// renames a channel or a unit. The field takes `limit` characters; OK gives back
// at most limit - 1 of them, Cancel the text as it was.
class EditLabelDialog : public QDialog {
    Q_OBJECT
public:
    EditLabelDialog(const QString& text, int limit, QWidget* parent = nullptr);

    // The text as the dialog closed: what OK took back, or the unchanged text.
    QString label() const;

    // Runs the dialog modally over `parent`; the text to store afterwards.
    static QString edit(const QString& text, int limit, QWidget* parent);

    // What OK takes back from the field.
    static QString taken(const QString& typed, int limit) { return typed.left(limit - 1); }

private:
    QString original_;
    int limit_;
    QLineEdit* field_;
};

} // namespace varento
