#include "ui/dialogs/calibration_model.h"

#include "protocol/calibration.h"

#include <QLocale>
#include <QRegularExpression>

namespace varento {

namespace {

constexpr std::uint8_t kManualBit = 0x40;

bool hasFixedAd(int model) {
    return model == 11 || model == 24;
}

} // namespace

CalibrationModel::CalibrationModel(DeviceRecord& record) : record_(record) {
    record_.calibration1 = sanitizeAdCalibration(record_.calibration1);
    record_.calibration2 = sanitizeDaCalibration(record_.calibration2);
}

bool CalibrationModel::manual() const {
    return (record_.at(param::calibrationOptions) & kManualBit) != 0;
}

void CalibrationModel::setManual(bool on) {
    auto& options = record_.at(param::calibrationOptions);
    options = static_cast<std::uint8_t>(on ? options | kManualBit : options & ~kManualBit);
}

bool CalibrationModel::adEditable() const {
    return !hasFixedAd(record_.model);
}

QString CalibrationModel::levelText(std::int32_t factor) {
    // "%2.2f" of the level rounded to single precision, with a decimal comma.
    const double level = static_cast<double>(calibrationToDb(factor));
    return QLocale(QLocale::German, QLocale::Germany).toString(level, 'f', 2);
}

QString CalibrationModel::adText() const {
    return levelText(record_.calibration1);
}

QString CalibrationModel::daText() const {
    return levelText(record_.calibration2);
}

QString CalibrationModel::adFactorText() const {
    return QStringLiteral("Factor: %1").arg(record_.calibration1);
}

QString CalibrationModel::daFactorText() const {
    return QStringLiteral("Factor: %1").arg(record_.calibration2);
}

double CalibrationModel::parseLevel(const QString& text) {
    // The leading number counts, as a C library read would take it: "1,5 dB" is 1.5.
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*([+-]?(?:\d+(?:[.,]\d*)?|[.,]\d+)))"));
    const auto match = number.match(text);
    if (!match.hasMatch()) {
        return 0.0;
    }
    QString t = match.captured(1);
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    return t.toDouble();
}

void CalibrationModel::store(const QString& adText, const QString& daText) {
    record_.calibration1 =
        calibrationFromDb(parseLevel(adText), kAdCalibrationMin, kAdCalibrationMax);
    record_.calibration2 =
        calibrationFromDb(parseLevel(daText), kDaCalibrationMin, kDaCalibrationMax);
}

} // namespace varento
