#pragma once

#include "protocol/device_record.h"

#include <QString>

namespace varento {

// The rules of the "AD/DA Calibration" dialog, on the record it edits.
class CalibrationModel {
public:
    // Opening puts out-of-range factors back into range.
    explicit CalibrationModel(DeviceRecord& record);

    bool manual() const;
    // "Enable Manual AD/DA Calibration" acts on the record at once.
    void setManual(bool on);
    // Models 11 and 24 have no adjustable AD side.
    bool adEditable() const;

    // Levels as the edits show them ("0,00"), factors as "Factor: 2048".
    QString adText() const;
    QString daText() const;
    QString adFactorText() const;
    QString daFactorText() const;

    // "&Apply" and "&OK": read both texts (a decimal comma or point; anything
    // else reads as 0 dB), convert, clamp and store the factors.
    void store(const QString& adText, const QString& daText);

    // What the edits accept.
    static constexpr int kMaxTextLength = 6;
    static double parseLevel(const QString& text);
    static QString levelText(std::int32_t factor);

private:
    DeviceRecord& record_;
};

} // namespace varento
