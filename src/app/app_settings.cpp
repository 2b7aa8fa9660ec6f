#include "app/app_settings.h"

#include "app/interaction.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace varento {

namespace {

// Buffer sizes of the earlier program: a longer value failed to read and left the
// buffer cleared.
constexpr qsizetype kMaxPathChars = 259; // 260 bytes with the NUL
constexpr qsizetype kMaxPortChars = 127;

constexpr const char* kMeterbridgePrefix = "Meterbridge";
constexpr const char* kMeterbridgeX = "MeterbridgeX";
constexpr const char* kMeterbridgeY = "MeterbridgeY";
constexpr const char* kMeterbridgeWidth = "MeterbridgeWidth";

// The stored type is not checked: a multi-string reads as its first string.
QString textOf(const QVariant& v) {
    if (v.typeId() == QMetaType::QStringList) {
        const QStringList list = v.toStringList();
        return list.isEmpty() ? QString() : list.first();
    }
    return v.canConvert<QString>() ? v.toString() : QString();
}

QString readText(const QSettings& s, const QString& name, qsizetype maxChars) {
    const QString text = textOf(s.value(name));
    return text.size() <= maxChars ? text : QString();
}

std::int32_t readDword(const QSettings& s, const QString& name, std::int32_t fallback) {
    bool ok = false;
    const int v = s.value(name).toInt(&ok);
    return ok ? v : fallback;
}

std::uint8_t readByte(const QSettings& s, const QString& name, std::uint8_t fallback) {
    const QVariant v = s.value(name);
    if (v.typeId() != QMetaType::QByteArray) {
        return fallback;
    }
    const QByteArray bytes = v.toByteArray();
    return bytes.size() == 1 ? static_cast<std::uint8_t>(bytes[0]) : fallback;
}

} // namespace

AppSettings::AppSettings() : settings_(std::make_unique<QSettings>("KELTA", "VARENTO")) {}

AppSettings::AppSettings(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

AppSettings::~AppSettings() = default;

PersistedSettings AppSettings::load() const {
    const QSettings& s = *settings_;
    PersistedSettings p;
    // No key at all: the first-start values, with no spare input chosen. The
    // meterbridge's place is written on its own and does not count.
    const QStringList keys = s.allKeys();
    const bool none = std::all_of(keys.begin(), keys.end(), [](const QString& key) {
        return key.startsWith(QLatin1String(kMeterbridgePrefix));
    });
    if (s.status() != QSettings::NoError || none) {
        return p;
    }
    p.lastSnapshotFileName = readText(s, "lastSnapshotFileName", kMaxPathChars);
    p.lastSnapshotFileDirectory = readText(s, "lastSnapshotFileDirectory", kMaxPathChars);
    p.lastPort = readText(s, "lastPort", kMaxPortChars);
    p.lastRate = readDword(s, "lastRate", 115200);
    p.lastMidiIn = readDword(s, "lastMidiIn", 0);
    p.lastMidiOut = readDword(s, "lastMidiOut", 0);
    p.MidiMode = readDword(s, "MidiMode", 0);
    p.NetworkMode = readDword(s, "NetworkMode", 0);
    p.Term = readByte(s, "Term", 0);
    p.DisplayFwWarning = readDword(s, "DisplayFwWarning", 1);
    p.lastEmergencyChannel = readDword(s, "lastEmergencyChannel", -1);
    p.GainDisplayOptions = readDword(s, "GainDisplayOptions", 0);
    p.GainReferenceLevel = readDword(s, "GainReferenceLevel", 0);
    p.MatrixDraggingMode = readDword(s, "MatrixDraggingMode", 1);
    p.ReconnectAutomatically = readDword(s, "ReconnectAutomatically", 1);
    return p;
}

std::vector<std::pair<QString, QVariant>> AppSettings::values(const PersistedSettings& p) {
    const QStringList port = p.lastPort.isEmpty() ? QStringList() : QStringList{p.lastPort};
    return {
        {"lastSnapshotFileName", p.lastSnapshotFileName},
        {"lastSnapshotFileDirectory", p.lastSnapshotFileDirectory},
        {"lastPort", port},
        {"lastRate", int{p.lastRate}},
        {"lastMidiIn", int{p.lastMidiIn}},
        {"lastMidiOut", int{p.lastMidiOut}},
        {"MidiMode", int{p.MidiMode}},
        {"NetworkMode", int{p.NetworkMode}},
        {"Term", QByteArray(1, static_cast<char>(p.Term))},
        {"Matrix DX", int{p.matrixViewWidth}},
        {"Matrix DY", int{p.matrixViewHeight}},
        {"DisplayFwWarning", int{p.DisplayFwWarning}},
        {"lastEmergencyChannel", int{p.lastEmergencyChannel}},
        {"GainDisplayOptions", int{p.GainDisplayOptions}},
        {"GainReferenceLevel", int{p.GainReferenceLevel}},
        {"MatrixDraggingMode", int{p.MatrixDraggingMode}},
        {"ReconnectAutomatically", int{p.ReconnectAutomatically}},
    };
}

std::optional<QRect> AppSettings::meterbridgePlace() const {
    const QSettings& s = *settings_;
    bool x = false;
    bool y = false;
    bool w = false;
    const QRect place(s.value(kMeterbridgeX).toInt(&x), s.value(kMeterbridgeY).toInt(&y),
                      s.value(kMeterbridgeWidth).toInt(&w), 0);
    if (!x || !y || !w || place.width() <= 0) {
        return std::nullopt;
    }
    return place;
}

void AppSettings::setMeterbridgePlace(const QRect& place) {
    settings_->setValue(kMeterbridgeX, place.x());
    settings_->setValue(kMeterbridgeY, place.y());
    settings_->setValue(kMeterbridgeWidth, place.width());
}

bool AppSettings::save(const PersistedSettings& settings, Interaction& interaction) {
    for (const auto& [name, value] : values(settings)) {
        settings_->setValue(name, value);
    }
    // The registry takes each value at once; an INI file is written here, so a
    // failure can only be seen for all values together.
    settings_->sync();
    if (settings_->status() == QSettings::NoError) {
        return true;
    }
    const QString text = qt_error_string(-1);
    interaction.inform("Error!", text, MessageIcon::Error);
    std::fprintf(stderr, "ERROR: %s\n", text.toLocal8Bit().constData());
    return false;
}

} // namespace varento
