#include "offline_commands.h"

#include "file_decoder.h"
#include "frame_decoder.h"
#include "text_format.h"

#include "protocol/frame.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace varento::cli {

namespace {

int fail(Console& console, int status, const QString& sentence) {
    console.err("varento-cli: " + sentence + "\n");
    return status;
}

} // namespace

std::optional<std::vector<std::vector<std::uint8_t>>> framesFromHex(const QString& text,
                                                                    QString& error) {
    const auto bytes = parseHexBytes(text.toStdString(), error);
    if (!bytes) {
        return std::nullopt;
    }
    std::vector<std::vector<std::uint8_t>> frames;
    for (const std::uint8_t b : *bytes) {
        if (frames.empty() || b == kFrameStart) {
            frames.emplace_back();
        }
        frames.back().push_back(b);
    }
    return frames;
}

int runShow(const CommandLine& line, Console& console) {
    QFile file(line.file);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(console, exit_status::file,
                    QString("Cannot read %1: %2.").arg(line.file, file.errorString()));
    }
    const QByteArray bytes = file.readAll();
    const ShowResult shown = decodeFile({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size())},
                                        line.file);
    if (!shown.view) {
        return fail(console, exit_status::file, QString("%1: %2").arg(line.file, shown.error));
    }
    if (line.json) {
        console.out(QString::fromUtf8(QJsonDocument(fileToJson(*shown.view)).toJson()));
    } else {
        console.out(fileToText(*shown.view));
    }
    return exit_status::ok;
}

int runDecode(const CommandLine& line, Console& console) {
    // Each argument, or each line of standard input for "-", as (where, text).
    std::vector<std::pair<QString, QString>> sources;
    for (qsizetype i = 0; i < line.hexFrames.size(); ++i) {
        if (line.hexFrames[i] != "-") {
            sources.emplace_back(QString("argument %1").arg(i + 1), line.hexFrames[i]);
            continue;
        }
        int number = 0;
        while (const auto text = console.readLine ? console.readLine() : std::nullopt) {
            ++number;
            const QString content = text->section('#', 0, 0).trimmed();
            if (!content.isEmpty()) {
                sources.emplace_back(QString("input line %1").arg(number), content);
            }
        }
    }
    std::vector<DecodedFrame> frames;
    for (const auto& [where, text] : sources) {
        QString error;
        const auto parsed = framesFromHex(text, error);
        if (!parsed) {
            return fail(console, exit_status::usage, QString("%1: %2.").arg(where, error));
        }
        if (parsed->empty()) {
            return fail(console, exit_status::usage, QString("%1 holds no bytes.").arg(where));
        }
        for (const auto& bytes : *parsed) {
            frames.push_back(decodeFrame(bytes));
        }
    }
    if (line.json) {
        QJsonArray array;
        for (const DecodedFrame& frame : frames) {
            array.append(frameToJson(frame));
        }
        console.out(QString::fromUtf8(QJsonDocument(QJsonObject{{"frames", array}}).toJson()));
        return exit_status::ok;
    }
    QString text;
    for (const DecodedFrame& frame : frames) {
        text += (text.isEmpty() ? "" : "\n") + frameToText(frame);
    }
    console.out(text);
    return exit_status::ok;
}

} // namespace varento::cli
