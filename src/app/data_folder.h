#pragma once

#include <QString>

#include <filesystem>
#include <optional>

namespace varento {

// The application's data folder: VARENTO_DATA_DIR when set (tests always set it),
// otherwise the user's roaming application-data folder + "Maravelle
// Technologies/VARENTO Remote". Only resolved here; the savers create it when they
// first write into it.
std::filesystem::path dataFolder();

// A file a remote client names inside `folder`: plain names separated by "/", none
// of them "." or "..", no root, drive, backslash or device name (NUL, COM1), so
// nothing outside the folder can be named. `extension` (".vpf") is added unless the name ends with
// it or names a file as it stands.
std::optional<std::filesystem::path> fileInFolder(const std::filesystem::path& folder,
                                                  const QString& name, const QString& extension);

std::filesystem::path toPath(const QString& path);
QString toQString(const std::filesystem::path& path);

} // namespace varento
