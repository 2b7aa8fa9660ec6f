#pragma once

#include "ui/models/settings_model.h"

namespace varento {

// "VARENTO Settings" (template 106): the base front-panel models, with bank select.
class UnitSettingsModel : public SettingsModel {
    Q_OBJECT

public:
    UnitSettingsModel(DeviceRecord& record, Interaction& interaction, QObject* parent = nullptr);

    int templateNumber() const override { return 106; }
    QSize sizeInDialogUnits() const override { return {235, 329}; }

protected:
    void openOwnControls() override {}
    bool redundancyModel() const override;
    bool ledDimModel() const override;
    bool analogInDisabled() const override;
    bool analogOutDisabled() const override;
};

} // namespace varento
