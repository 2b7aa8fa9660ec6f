#pragma once

#include "app/interaction.h"
#include "protocol/device_record.h"
#include "ui/models/dialog_model.h"

#include <QPoint>
#include <QSize>

#include <array>
#include <optional>

namespace varento {

// The rules both settings dialogs share: a working copy of the unit's record that
// every control edits, the enabling of the controls that depend on each other,
// and OK / Cancel / Apply / Identify. The two templates add their own controls.
class SettingsModel : public DialogModel {
    Q_OBJECT

public:
    ~SettingsModel() override = default;

    // Dialog initialisation: takes `openingCopy` and `editCopy` from the record and
    // sets every control from them.
    void open();

    // A click on a check box or radio button, with the state it shows afterwards
    // (radios always true). False when the control cannot be clicked now.
    bool click(int id, bool checked = true);
    // A new selection in a list. False for a control that cannot be used now or
    // an index that is not in the list.
    bool select(int id, int index);
    // OK, Cancel, "&Apply", "Identify Device".
    bool press(int id);

    const DeviceRecord& openingCopy() const { return opening_; }
    const DeviceRecord& editCopy() const { return edit_; }
    // 1 after OK, 0 after Cancel; nothing while the dialog runs.
    std::optional<int> result() const { return result_; }

    // The dialog template (106 or 162) and its size in dialog units.
    virtual int templateNumber() const = 0;
    virtual QSize sizeInDialogUnits() const = 0;

    // The owner's remembered position, handed in before opening and read back after.
    std::optional<QPoint> position() const { return position_; }
    void setPosition(QPoint position) { position_ = position; }

signals:
    // 115 send all settings (after Apply), 116 send identify.
    void ownerCommand(int id);
    void finished(int result);
    void focusRequested(int id);

protected:
    SettingsModel(DeviceRecord& record, Interaction& interaction, QObject* parent);

    // Builds the template's controls in their initial state.
    void addCommonControls();
    // The template's own steps of the opening, after the shared ones.
    virtual void openOwnControls() = 0;
    virtual bool clickOwn(int id, bool checked);
    virtual bool selectOwn(int id, int index);

    virtual bool redundancyModel() const = 0;
    virtual bool ledDimModel() const = 0;
    virtual bool analogInDisabled() const = 0;
    virtual bool analogOutDisabled() const = 0;

    Interaction& interaction() { return interaction_; }
    int model() const { return edit_.model; }
    std::uint8_t& param(int n) { return edit_.at(n); }
    std::uint8_t param(int n) const { return edit_.at(n); }
    void setBits(int n, std::uint8_t mask, bool on);
    bool matrixModeOn() const;

    // Which radio shows each clock source (0 internal, 1 AES, 2 word clock, 3 MADI);
    // 0 where the template has none.
    std::array<int, 4> sourceRadios_{};
    // The extended dialog leaves the forced bit alone on "Redundancy active".
    bool automaticKeepsForced_ = false;

private:
    void touch();
    void openRate();
    void openClockSource();
    void openRedundancy();
    void showMatrixMode(bool on);
    void updateBankRadios();
    void clickClockSource(int id);
    void clickSpeed(int id, bool checked);
    void selectRate(int index);
    void selectFan(int id, int index);
    void selectRedundancy(int index);
    void setSpeedBoxes(bool doubleSpeed, bool quadSpeed);
    void finish(int result);

    DeviceRecord& record_;
    Interaction& interaction_;
    DeviceRecord opening_{};
    DeviceRecord edit_{};
    std::optional<int> result_;
    std::optional<QPoint> position_;
};

} // namespace varento
