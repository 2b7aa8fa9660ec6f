#pragma once

#include "app/interaction.h"

#include <functional>
#include <utility>

namespace varento {

// Every question and message of the session goes through here, so the session
// knows when one is open: a message box runs a nested event loop, and frames,
// ticks and queued sends must not change the unit under an open question.
class QuestionGuard : public Interaction {
public:
    // `closed` runs when the last open question has been answered.
    QuestionGuard(Interaction& inner, std::function<void()> closed)
        : inner_(inner), closed_(std::move(closed)) {}

    bool open() const { return depth_ > 0; }

    // While quiet, messages are not shown: a question takes its cautious answer
    // (No, Cancel). Retries of a lost link run quiet, so one failure makes one box.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    bool quiet() const { return quiet_; }

    Answer message(const QString& title, const QString& text, MessageIcon icon,
                   MessageButtons buttons) override {
        if (quiet_) {
            return buttons == MessageButtons::Ok         ? Answer::Ok
                   : buttons == MessageButtons::YesNo    ? Answer::No
                                                         : Answer::Cancel;
        }
        return guarded([&] { return inner_.message(title, text, icon, buttons); });
    }
    std::optional<QString> openFileName(const FileDialogOptions& options) override {
        return guarded([&] { return inner_.openFileName(options); });
    }
    std::optional<QString> saveFileName(const FileDialogOptions& options) override {
        return guarded([&] { return inner_.saveFileName(options); });
    }
    std::optional<int> chooseReplacementUnit(const QString& missingUnitText,
                                             const QStringList& onlineUnits) override {
        return guarded([&] { return inner_.chooseReplacementUnit(missingUnitText, onlineUnits); });
    }
    bool firmwareWarning(const QString& text) override {
        return guarded([&] { return inner_.firmwareWarning(text); });
    }

private:
    template <typename Ask> decltype(std::declval<Ask>()()) guarded(Ask ask) {
        struct Depth {
            QuestionGuard& guard;
            explicit Depth(QuestionGuard& g) : guard(g) { ++guard.depth_; }
            ~Depth() {
                if (--guard.depth_ == 0 && guard.closed_) {
                    guard.closed_();
                }
            }
        } depth(*this);
        return ask();
    }

    Interaction& inner_;
    std::function<void()> closed_;
    int depth_ = 0;
    bool quiet_ = false;
};

} // namespace varento
