#pragma once

#include "ui/models/settings_model.h"

namespace varento {

// "VARENTO.PX (SRC) Settings" / "VARENTO.AES (SRC) Settings" (template 162): the
// extended front-panel models. No bank select; an AES clock source, the
// sample-rate converter switches, four output-routing selectors and userbit
// transparency instead.
class PxSettingsModel : public SettingsModel {
    Q_OBJECT

public:
    PxSettingsModel(DeviceRecord& record, Interaction& interaction, QObject* parent = nullptr);

    int templateNumber() const override { return 162; }
    QSize sizeInDialogUnits() const override { return {235, 409}; }

protected:
    void openOwnControls() override;
    bool clickOwn(int id, bool checked) override;
    bool selectOwn(int id, int index) override;
    bool redundancyModel() const override;
    bool ledDimModel() const override;
    bool analogInDisabled() const override;
    bool analogOutDisabled() const override;
};

} // namespace varento
