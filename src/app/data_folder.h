#pragma once

#include <QString>

#include <filesystem>

namespace varento {

// The application's data folder: VARENTO_DATA_DIR when set (tests always set it),
// otherwise the user's roaming application-data folder + "Maravelle
// Technologies/VARENTO Remote". Only resolved here; the savers create it when they
// first write into it.
std::filesystem::path dataFolder();

std::filesystem::path toPath(const QString& path);
QString toQString(const std::filesystem::path& path);

} // namespace varento
