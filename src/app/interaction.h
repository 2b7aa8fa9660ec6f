#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace varento {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct FileDialogOptions {
    QString title;  // empty: the platform's default caption
    QString filter; // Qt filter text, e.g. "K.E.LTA VARENTO preset (*.vpf);;All Files (*.*)"
    QString defaultExtension; // without the dot
    QString directory;
    QString fileName;
};

// Every question, message and file choice of the program goes through here, so
// flows run the same under the GUI, the command line and the tests.
class Interaction {
public:
    virtual ~Interaction() = default;

    virtual Answer message(const QString& title, const QString& text, MessageIcon icon,
                           MessageButtons buttons) = 0;
    virtual std::optional<QString> openFileName(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogOptions& options) = 0;
    // Offers the online units for a missing one; the index into `onlineUnits`, or
    // nothing when the user cancels.
    virtual std::optional<int> chooseReplacementUnit(const QString& missingUnitText,
                                                     const QStringList& onlineUnits) = 0;

    // The firmware update text with its "Don't show this message again." box;
    // returns whether warnings are to be shown again.
    virtual bool firmwareWarning(const QString& text) = 0;

    void inform(const QString& title, const QString& text, MessageIcon icon) {
        message(title, text, icon, MessageButtons::Ok);
    }
};

} // namespace varento
