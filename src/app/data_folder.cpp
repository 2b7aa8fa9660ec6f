#include "app/data_folder.h"

#include <QFile>
#include <QStandardPaths>
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
