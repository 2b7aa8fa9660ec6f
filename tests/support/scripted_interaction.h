#pragma once

#include "app/interaction.h"

#include <deque>
#include <functional>
#include <vector>

namespace varento::testing {

// Records every message and answers from a script; with the script empty it answers
// the first button (Ok or Yes) and cancels file dialogs.
class ScriptedInteraction : public Interaction {
public:
    struct Message {
        QString title;
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };

    Answer message(const QString& title, const QString& text, MessageIcon icon,
                   MessageButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel ? Answer::Ok
                                                                                    : Answer::Yes;
    }

    std::optional<QString> openFileName(const FileDialogOptions& options) override {
        fileDialogs.push_back(options);
        return nextFile();
    }

    std::optional<QString> saveFileName(const FileDialogOptions& options) override {
        fileDialogs.push_back(options);
        return nextFile();
    }

    std::optional<int> chooseReplacementUnit(const QString& missingUnitText,
                                             const QStringList& onlineUnits) override {
        replacementQuestions.push_back({missingUnitText, onlineUnits});
        if (replacementChoices.empty()) {
            return std::nullopt;
        }
        const auto choice = replacementChoices.front();
        replacementChoices.pop_front();
        return choice;
    }

    bool firmwareWarning(const QString& text) override {
        firmwareWarnings.push_back(text);
        if (whileWarning) {
            whileWarning(); // what happens while the dialog's own event loop runs
        }
        return !dontShowFirmwareAgain;
    }

    std::deque<Answer> answers;
    bool dontShowFirmwareAgain = false;
    std::function<void()> whileWarning;
    std::vector<QString> firmwareWarnings;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<int>> replacementChoices;
    std::vector<Message> messages;
    std::vector<FileDialogOptions> fileDialogs;
    std::vector<std::pair<QString, QStringList>> replacementQuestions;

private:
    std::optional<QString> nextFile() {
        if (files.empty()) {
            return std::nullopt;
        }
        const bool cancelled = !files.front().has_value();
        const QString name = cancelled ? QString() : *files.front();
        files.pop_front();
        if (cancelled) {
            return std::nullopt;
        }
        return name;
    }
};

} // namespace varento::testing
