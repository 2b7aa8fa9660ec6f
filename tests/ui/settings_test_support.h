#pragma once

#include "protocol/device_record.h"
#include "support/scripted_interaction.h"
#include "ui/models/settings_ids.h"
#include "ui/models/settings_model.h"

#include <QPoint>
#include <QRect>
#include <QSignalSpy>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Readable failures for the Qt value types the tests compare.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}
inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << "QPoint(" << p.x() << ", " << p.y() << ")";
}
inline void PrintTo(const QSize& s, std::ostream* os) {
    *os << "QSize(" << s.width() << ", " << s.height() << ")";
}
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace varento::testing {

// A unit as it comes up, with its parameters in.
inline DeviceRecord unitRecord(int model, int fwMajor = 6, int fwMinor = 6) {
    DeviceRecord r;
    resetToPowerOnDefaults(r);
    r.model = static_cast<std::uint8_t>(model);
    r.at(param::firmwareMajor) = static_cast<std::uint8_t>(fwMajor);
    r.at(param::firmwareMinor) = static_cast<std::uint8_t>(fwMinor);
    r.awaitingData = 0;
    return r;
}

// Opens a settings model of type M over a record built for `model`.
template <typename M> class SettingsFixture : public ::testing::Test {
protected:
    M& open(int model, const std::function<void(DeviceRecord&)>& edit = {}, int fwMajor = 6,
            int fwMinor = 6) {
        record = unitRecord(model, fwMajor, fwMinor);
        if (edit) {
            edit(record);
        }
        dialog = std::make_unique<M>(record, ui);
        commands = std::make_unique<QSignalSpy>(dialog.get(), &SettingsModel::ownerCommand);
        dialog->open();
        return *dialog;
    }

    std::uint8_t edited(int parameter) const { return dialog->editCopy().at(parameter); }

    DeviceRecord record;
    ScriptedInteraction ui;
    std::unique_ptr<M> dialog;
    std::unique_ptr<QSignalSpy> commands;
};

} // namespace varento::testing
