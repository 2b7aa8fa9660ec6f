#pragma once

#include <QRect>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QSettings;

namespace varento {

class Interaction;

// The options kept between runs, with the values a first start (no settings at all)
// begins with. Session owns one; the names are the stored value names.
struct PersistedSettings {
    QString lastSnapshotFileName;      // file name of the last project file
    QString lastSnapshotFileDirectory; // its full path, file name included
    QString lastPort;                  // the serial port's device path, empty for none
    std::int32_t lastRate = 115200;
    std::int32_t lastMidiIn = 0;
    std::int32_t lastMidiOut = 0;
    std::int32_t MidiMode = 0;
    std::int32_t NetworkMode = 0;
    std::uint8_t Term = 0; // wckTermChoice of CurrentDevice
    // "Matrix DX"/"Matrix DY": written at exit, never read; the matrix view starts
    // at 830 x 1000 every time.
    std::int32_t matrixViewWidth = 830;
    std::int32_t matrixViewHeight = 1000;
    std::int32_t DisplayFwWarning = 1;
    std::int32_t lastEmergencyChannel = -1; // no spare until the user picks one
    std::int32_t GainDisplayOptions = 0;
    std::int32_t GainReferenceLevel = 0;
    std::int32_t MatrixDraggingMode = 1;
    std::int32_t ReconnectAutomatically = 1;

    friend bool operator==(const PersistedSettings&, const PersistedSettings&) = default;
};

// The settings under QSettings("KELTA", "VARENTO"): the registry key
// Software\KELTA\VARENTO on Windows, an INI file elsewhere. Read once at start-up,
// written once at exit.
class AppSettings {
public:
    AppSettings();
    // Tests and tools: an explicit INI file instead of the user's settings.
    explicit AppSettings(const QString& iniFile);
    ~AppSettings();
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    // Without any stored value the first-start values apply; otherwise each value
    // that is missing or unreadable (wrong type or size, text too long) takes its own
    // first-start value.
    PersistedSettings load() const;

    // Writes every value in the order of values(). A failed write shows the system's
    // text under "Error!" and prints "ERROR: <text>" to standard error; returns false.
    bool save(const PersistedSettings& settings, Interaction& interaction);

    // Names and stored values in write order: REG_SZ as QString, REG_MULTI_SZ as a
    // QStringList, REG_DWORD as int, the one REG_BINARY byte as a 1-byte QByteArray.
    static std::vector<std::pair<QString, QVariant>> values(const PersistedSettings& settings);

    // Where the meterbridge window stood and how wide it was (its height is fixed),
    // kept apart from the values above: written whenever the window closes, as users
    // park it on a second screen. Nothing until a place was kept.
    std::optional<QRect> meterbridgePlace() const;
    void setMeterbridgePlace(const QRect& place);

    QSettings& store() { return *settings_; }

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace varento
