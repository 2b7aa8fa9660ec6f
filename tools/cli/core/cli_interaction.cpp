#include "cli_interaction.h"

#include "text_format.h"

#include "devices/device_list.h"

#include <QFileInfo>

namespace varento::cli {

namespace {

// "userName - 0C02..." as the project flows list units: the id text is last.
std::optional<DeviceUid> uidAtEnd(const QString& text) {
    constexpr qsizetype kIdTextLength = 32;
    if (text.size() < kIdTextLength) {
        return std::nullopt;
    }
    return unitIdFromText(text.right(kIdTextLength).toStdString());
}

} // namespace

QString oneLine(const QString& title, const QString& text) {
    QString body = text.trimmed();
    body.replace("\n\n", " ").replace('\n', ' ');
    return title.isEmpty() ? body : title + ": " + body;
}

CliInteraction::CliInteraction(Console& console, bool yes) : console_(console), yes_(yes) {}

void CliInteraction::resetRecord() {
    errors_ = 0;
    lastError_.clear();
    unanswered_.reset();
}

bool CliInteraction::ask(const QString& question) {
    if (yes_) {
        return true;
    }
    if (!console_.stdinIsTerminal || !console_.readLine) {
        if (!unanswered_) {
            unanswered_ = question;
        }
        return false;
    }
    console_.err(oneLine({}, question) + " [y/N] ");
    const std::optional<QString> reply = console_.readLine();
    const QString answer = reply.value_or(QString()).trimmed().toLower();
    return answer == "y" || answer == "yes";
}

Answer CliInteraction::message(const QString& /*title*/, const QString& text, MessageIcon icon,
                               MessageButtons buttons) {
    if (buttons == MessageButtons::Ok) {
        // The text says it all; titles such as "Error!" add nothing on a terminal.
        const bool error = icon == MessageIcon::Error || icon == MessageIcon::None;
        console_.err(QString("varento-cli: %1%2\n")
                         .arg(icon == MessageIcon::Warning ? "warning: " : "", oneLine({}, text)));
        if (error) {
            ++errors_;
            lastError_ = oneLine({}, text);
        }
        return Answer::Ok;
    }
    // With --map the missing-unit questions of a project load lead to the choice.
    if (buttons == MessageButtons::OkCancel && !replacements_.empty()) {
        return Answer::Ok;
    }
    const bool yes = ask(oneLine({}, text));
    if (buttons == MessageButtons::OkCancel) {
        return yes ? Answer::Ok : Answer::Cancel;
    }
    return yes ? Answer::Yes : Answer::No;
}

std::optional<QString> CliInteraction::openFileName(const FileDialogOptions&) {
    return std::exchange(file_, std::nullopt);
}

std::optional<QString> CliInteraction::saveFileName(const FileDialogOptions&) {
    std::optional<QString> file = std::exchange(file_, std::nullopt);
    // The save dialog asks before it replaces a file; so do we.
    if (file && QFileInfo::exists(*file) &&
        !ask(QString("%1 already exists. Do you want to replace it?").arg(*file))) {
        return std::nullopt;
    }
    return file;
}

std::optional<int> CliInteraction::chooseReplacementUnit(const QString& missingUnitText,
                                                         const QStringList& onlineUnits) {
    const std::optional<DeviceUid> missing = uidAtEnd(missingUnitText);
    for (const auto& [from, to] : replacements_) {
        if (missing && from == *missing) {
            for (qsizetype i = 0; i < onlineUnits.size(); ++i) {
                if (uidAtEnd(onlineUnits[i]) == to) {
                    return static_cast<int>(i);
                }
            }
        }
    }
    if (console_.stdinIsTerminal && console_.readLine && !yes_ && !onlineUnits.isEmpty()) {
        QString prompt = QString("Missing unit: %1\n").arg(missingUnitText);
        for (qsizetype i = 0; i < onlineUnits.size(); ++i) {
            prompt += QString("  %1  %2\n").arg(i + 1).arg(onlineUnits[i]);
        }
        console_.err(prompt + "Unit to use instead (number, empty to skip): ");
        bool ok = false;
        const int choice = console_.readLine().value_or(QString()).trimmed().toInt(&ok);
        if (ok && choice >= 1 && choice <= onlineUnits.size()) {
            return choice - 1;
        }
        return std::nullopt;
    }
    console_.err(QString("varento-cli: skipped the dataset of %1 (give --map FROM=TO to load it "
                         "into another unit).\n")
                     .arg(missing ? uidHex(*missing) : missingUnitText));
    return std::nullopt;
}

bool CliInteraction::firmwareWarning(const QString& text) {
    console_.err("varento-cli: warning: " + oneLine({}, text) + "\n");
    return true;
}

} // namespace varento::cli
