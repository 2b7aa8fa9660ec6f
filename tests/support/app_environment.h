#pragma once

// Include in one source of each app test program: its tests then run against a
// temporary data folder (VARENTO_DATA_DIR) and a temporary settings location, never
// the user's own.

#include "support/temp_dir.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <gtest/gtest.h>

namespace varento::testing {

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        const QString settings = QString::fromStdString((root_.path() / "settings").string());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
        qputenv("VARENTO_DATA_DIR", QByteArray::fromStdString((root_.path() / "data").string()));
    }

    static std::filesystem::path root() { return instance->root_.path(); }
    static std::filesystem::path settingsFolder() { return root() / "settings"; }
    static std::filesystem::path dataFolder() { return root() / "data"; }

    static inline AppEnvironment* instance = nullptr;

private:
    TempDir root_;
};

inline AppEnvironment* const kAppEnvironment = [] {
    AppEnvironment::instance = new AppEnvironment;
    ::testing::AddGlobalTestEnvironment(AppEnvironment::instance);
    return AppEnvironment::instance;
}();

} // namespace varento::testing
