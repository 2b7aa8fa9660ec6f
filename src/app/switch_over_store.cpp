#include "app/switch_over_store.h"

#include "devices/device_list.h"
#include "files/file_io.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace varento {

namespace {

std::optional<SwitchOver> switchOverOf(const QJsonObject& o) {
    SwitchOver s;
    s.channel = o.value("channel").toInt(-1);
    s.spare = o.value("spare").toInt(-1);
    for (const QJsonValue& v : o.value("outputs").toArray()) {
        const int output = v.toInt(-1);
        if (output < 0 || output >= kWireRouteSlots) {
            return std::nullopt;
        }
        s.outputs.push_back(output);
    }
    if (!isSpareChannel(s.channel) || !isSpareChannel(s.spare) || s.channel == s.spare ||
        s.outputs.empty()) {
        return std::nullopt;
    }
    return s;
}

QJsonObject jsonOf(const SwitchOver& s) {
    QJsonArray outputs;
    for (const int output : s.outputs) {
        outputs.append(output);
    }
    return {{"channel", s.channel}, {"spare", s.spare}, {"outputs", outputs}};
}

} // namespace

std::map<DeviceUid, SwitchOver> SwitchOverStore::read(QString* problem) const {
    std::map<DeviceUid, SwitchOver> units;
    const FileRead file = readWholeFile(path());
    if (file.status == ReadStatus::CannotOpen && !std::filesystem::exists(path())) {
        return units;
    }
    const auto say = [&](const QString& why) {
        if (problem != nullptr) {
            *problem = QString("%1: %2").arg(QString::fromStdString(path().string()), why);
        }
    };
    if (file.status != ReadStatus::Ok) {
        say(QString::fromStdString(file.error ? file.error.message() : "cannot be read"));
        return units;
    }
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                                           static_cast<qsizetype>(file.bytes.size())),
                                &error);
    if (!document.isObject()) {
        say(error.error != QJsonParseError::NoError ? error.errorString() : "not an object");
        return units;
    }
    const QJsonObject all = document.object().value("units").toObject();
    for (auto it = all.begin(); it != all.end(); ++it) {
        const std::string id = it.key().toStdString();
        const auto switchOver = switchOverOf(it.value().toObject());
        if (id.size() != 32 || !switchOver) {
            say(QString("the entry of unit %1 is not a switch-over").arg(it.key()));
            continue;
        }
        units[unitIdFromText(id)] = *switchOver;
    }
    return units;
}

std::optional<SwitchOver> SwitchOverStore::find(const DeviceUid& unit) const {
    const auto units = read();
    const auto it = units.find(unit);
    return it == units.end() ? std::nullopt : std::optional(it->second);
}

QString SwitchOverStore::store(const DeviceUid& unit,
                               const std::optional<SwitchOver>& switchOver) const {
    QString problem;
    auto units = read(&problem);
    std::error_code error;
    if (!problem.isEmpty()) {
        // What could not be understood is kept aside, not written over.
        std::filesystem::copy_file(path(), std::filesystem::path(path()).concat(".bad"),
                                   std::filesystem::copy_options::overwrite_existing, error);
    }
    if (switchOver) {
        units[unit] = *switchOver;
    } else {
        units.erase(unit);
    }
    QJsonObject all;
    for (const auto& [uid, s] : units) {
        all.insert(QString::fromStdString(unitIdText(uid)), jsonOf(s));
    }
    const QByteArray bytes =
        QJsonDocument(QJsonObject{{"units", all}}).toJson(QJsonDocument::Indented);
    std::filesystem::create_directories(folder_, error);
    error = writeFileAtomically(path(), {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size())});
    return error ? QString("%1: %2").arg(QString::fromStdString(path().string()),
                                         QString::fromStdString(error.message()))
                 : QString();
}

} // namespace varento
