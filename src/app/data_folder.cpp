#include "app/data_folder.h"

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QtGlobal>

namespace varento {

std::filesystem::path dataFolder() {
    const QString overridden = qEnvironmentVariable("VARENTO_DATA_DIR");
    if (!overridden.isEmpty()) {
        return toPath(overridden);
    }
#ifdef Q_OS_WIN
    // The roaming folder itself; Qt's own locations add the organisation and
    // application names, or point at the local folder.
    QString base = qEnvironmentVariable("APPDATA");
    if (base.isEmpty()) {
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    }
#else
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    return toPath(base) / "Maravelle Technologies" / "VARENTO Remote";
}

std::optional<std::filesystem::path> fileInFolder(const std::filesystem::path& folder,
                                                  const QString& name, const QString& extension) {
    if (name.isEmpty() || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')) ||
        name.contains(QChar(0))) {
        return std::nullopt;
    }
    // Windows opens a device for these names, whatever the extension.
    static const QRegularExpression kDevice(
        QStringLiteral("^(con|prn|aux|nul|com\\d|lpt\\d)(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..") ||
            kDevice.match(part).hasMatch()) {
            return std::nullopt;
        }
    }
    std::filesystem::path path = folder;
    for (const QString& part : parts) {
        path /= toPath(part);
    }
    std::error_code ignored;
    if (!name.endsWith(extension, Qt::CaseInsensitive) &&
        !std::filesystem::is_regular_file(path, ignored)) {
        path += toPath(extension);
    }
    return path;
}

std::filesystem::path toPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString toQString(const std::filesystem::path& path) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(path.c_str());
#endif
}

} // namespace varento
