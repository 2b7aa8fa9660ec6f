#pragma once

#include "console.h"

#include "app/interaction.h"
#include "protocol/device_uid.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace varento::cli {

// The Interaction of the command line: messages go to standard error as one line,
// questions are answered by --yes or, on a terminal only, by the user; file
// dialogs take the file named on the command line.
class CliInteraction : public Interaction {
public:
    CliInteraction(Console& console, bool yes);

    Answer message(const QString& title, const QString& text, MessageIcon icon,
                   MessageButtons buttons) override;
    std::optional<QString> openFileName(const FileDialogOptions& options) override;
    std::optional<QString> saveFileName(const FileDialogOptions& options) override;
    std::optional<int> chooseReplacementUnit(const QString& missingUnitText,
                                             const QStringList& onlineUnits) override;
    bool firmwareWarning(const QString& text) override;

    // The file the next file dialog returns; none cancels it.
    void setFile(std::optional<QString> file) { file_ = std::move(file); }
    void setReplacements(std::vector<std::pair<DeviceUid, DeviceUid>> replacements) {
        replacements_ = std::move(replacements);
    }

    // Errors shown since the last reset, and the first question that went
    // unanswered (no --yes, no terminal).
    int errorsShown() const { return errors_; }
    const QString& lastError() const { return lastError_; }
    const std::optional<QString>& unansweredQuestion() const { return unanswered_; }
    void resetRecord();

private:
    bool ask(const QString& question);

    Console& console_;
    bool yes_;
    std::optional<QString> file_;
    std::vector<std::pair<DeviceUid, DeviceUid>> replacements_;
    int errors_ = 0;
    QString lastError_;
    std::optional<QString> unanswered_;
};

// "title: text" on one line: paragraph breaks and line breaks become spaces.
QString oneLine(const QString& title, const QString& text);

} // namespace varento::cli
