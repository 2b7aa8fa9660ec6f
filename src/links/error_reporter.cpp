#include "links/error_reporter.h"

#include <cstdio>

namespace varento {

std::optional<QString> errorReporterText(int code) {
    switch (code) {
    case -1:
        return std::nullopt;
    case 10:
        return QStringLiteral("Failed to allocate memory. Insufficient memory available!");
    case 20:
        return QStringLiteral("Failed to install Thread!");
    case 30:
        return QStringLiteral("Invalid Checkbox index!");
    case 100:
        return QStringLiteral("Invalid COM Port!");
    case 101:
        return QStringLiteral("Failed to open Serial COM port!");
    case 102:
        return QStringLiteral("Com Port opened!");
    case 103:
        return QStringLiteral("Com Port closed!");
    case 104:
        return QStringLiteral("Error while writing to COM port!");
    case 105:
        return QStringLiteral("COM Input timeout. No data received!");
    case 201:
        return QStringLiteral("Invalid data in input buffer");
    case 202:
        return QStringLiteral("Invalid message header");
    case 203:
        return QStringLiteral("Invalid message size (exceeds 300 Bytes)");
    default:
        return QStringLiteral("An unknown error occured!");
    }
}

void reportError(Interaction& ui, int code) {
    if (const auto text = errorReporterText(code)) {
        ui.inform(QStringLiteral("Error"), *text, MessageIcon::Error);
    }
}

void showSystemError(Interaction& ui, const QString& systemText, AlsoToStderr toStderr) {
    if (toStderr == AlsoToStderr::Yes) {
        std::fprintf(stderr, "ERROR: %s\n", systemText.toLocal8Bit().constData());
        std::fflush(stderr);
    }
    ui.inform(QStringLiteral("Error!"), systemText, MessageIcon::Error);
}

} // namespace varento
