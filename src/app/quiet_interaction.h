#pragma once

#include "app/interaction.h"

namespace varento {

// Forwards everything to `inner`; while quiet, a message is not shown and takes
// its cautious answer. The links speak through one, so that the retries of a
// lost link show nothing while the user's own actions still report.
class QuietInteraction : public Interaction {
public:
    explicit QuietInteraction(Interaction& inner) : inner_(inner) {}

    void setQuiet(bool quiet) { quiet_ = quiet; }

    Answer message(const QString& title, const QString& text, MessageIcon icon,
                   MessageButtons buttons) override {
        if (!quiet_) {
            return inner_.message(title, text, icon, buttons);
        }
        switch (buttons) {
        case MessageButtons::Ok:
            return Answer::Ok;
        case MessageButtons::YesNo:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
    std::optional<QString> openFileName(const FileDialogOptions& options) override {
        return inner_.openFileName(options);
    }
    std::optional<QString> saveFileName(const FileDialogOptions& options) override {
        return inner_.saveFileName(options);
    }
    std::optional<int> chooseReplacementUnit(const QString& missingUnitText,
                                             const QStringList& onlineUnits) override {
        return inner_.chooseReplacementUnit(missingUnitText, onlineUnits);
    }
    bool firmwareWarning(const QString& text) override { return inner_.firmwareWarning(text); }

private:
    Interaction& inner_;
    bool quiet_ = false;
};

} // namespace varento
