#include "ui/models/unit_settings_model.h"

#include "protocol/catalog.h"
#include "ui/models/settings_ids.h"

namespace varento {

namespace id = settings_id;

UnitSettingsModel::UnitSettingsModel(DeviceRecord& record, Interaction& interaction,
                                     QObject* parent)
    : SettingsModel(record, interaction, parent) {
    addCommonControls();
    ControlState low;
    low.text = QStringLiteral("1..32");
    addControl(id::bankLow, low);
    ControlState high;
    high.text = QStringLiteral("33..64");
    addControl(id::bankHigh, high);
    sourceRadios_ = {id::clockInt, 0, id::clockWck, id::clockMadi};
    setTitle(QStringLiteral("VARENTO Settings"));
}

bool UnitSettingsModel::redundancyModel() const {
    return hasRedundancyOptions(model());
}

bool UnitSettingsModel::ledDimModel() const {
    return model() == 8 || model() == 12;
}

// The microphone models and the D/A model have no analog input level, the A/D model
// no analog output level.
bool UnitSettingsModel::analogInDisabled() const {
    return model() == 11 || model() == 21 || model() == 24;
}

bool UnitSettingsModel::analogOutDisabled() const {
    return model() == 20;
}

} // namespace varento
