#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;

namespace varento {

// "Edit Label": one text field and OK / Cancel, shared by every window that
// renames a channel or a unit. The field takes the limit - 1 characters that are
// kept; OK refuses, naming it below the field, a character a label or name cannot
// hold; Cancel gives the text back as it was.
class EditLabelDialog : public QDialog {
    Q_OBJECT
public:
    EditLabelDialog(const QString& text, int limit, QWidget* parent = nullptr);

    // The text as the dialog closed: what OK took back, or the unchanged text.
    QString label() const;

    // Runs the dialog modally over `parent`: the text OK took back, nothing for
    // Cancel or for a dialog closed under the user (closeAll).
    static std::optional<QString> edit(const QString& text, int limit, QWidget* parent);

    // Closes every open "Edit Label" without storing: the unit it was opened for
    // is no longer the one shown.
    static void closeAll();

    // What OK takes back from the field: composed, at most limit - 1 characters.
    static QString taken(const QString& typed, int limit);

    void accept() override;

private:
    QString original_;
    int limit_;
    QLineEdit* field_;
    QLabel* refusal_;
};

} // namespace varento
