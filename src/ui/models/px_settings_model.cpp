#include "ui/models/px_settings_model.h"

#include "protocol/catalog.h"
#include "ui/models/settings_ids.h"

namespace varento {

namespace id = settings_id;

namespace {

constexpr std::uint8_t kUserbitBits = 0x70;

const char* const kUserbitTitle = "Activate Userbit Transparency?";
const char* const kUserbitText =
    "Activating Userbit Transparency will disable remote control via MIDI-over-MADI and "
    "Serial-over-MADI. \n To disable Userbit Transparency use remote control via USB.\n Do you "
    "want to continue?";

// Each output-routing selector and the three bits of the byte it sets.
struct Selector {
    int control;
    int parameter;
    int shift;
};
constexpr Selector kSelectors[] = {
    {id::aesOut, param::routingA, 0},
    {id::daOut, param::routingA, 3},
    {id::out1To32, param::routingB, 0},
    {id::out33To64, param::routingB, 3},
};

ControlState text(const char* t, bool enabled = true) {
    ControlState c;
    c.text = QString::fromLatin1(t);
    c.enabled = enabled;
    return c;
}

} // namespace

PxSettingsModel::PxSettingsModel(DeviceRecord& record, Interaction& interaction, QObject* parent)
    : SettingsModel(record, interaction, parent) {
    addCommonControls();
    addControl(id::clockAes, text("AES"));
    addControl(id::srcGroup, text("SRC ON/OFF", false));
    const char* const groups[] = {"1..8", "9..16", "17..24", "25..32"};
    for (int i = 0; i < 4; ++i) {
        addControl(id::src1 + i, text(groups[i], false));
    }
    for (const Selector& s : kSelectors) {
        addControl(s.control);
    }
    addControl(id::aesOutLabel, text("AES OUT"));
    addControl(id::daOutLabel, text("D/A OUT"));
    addControl(id::userbit, text("Userbit Transparency for AES input"));
    sourceRadios_ = {id::clockInt, id::clockAes, id::clockWck, id::clockMadi};
    automaticKeepsForced_ = true;
    setTitle(isAesModel(record.model) ? QStringLiteral("VARENTO.AES (SRC) Settings")
                                      : QStringLiteral("VARENTO.PX (SRC) Settings"));
}

void PxSettingsModel::openOwnControls() {
    const bool aes = isAesModel(model());
    setText(id::aesOutLabel, aes ? QStringLiteral("AES 1-32") : QStringLiteral("AES OUT"));
    setText(id::daOutLabel, aes ? QStringLiteral("AES 33-64") : QStringLiteral("D/A OUT"));
    setEnabled(id::userbit, !aes);

    const bool converter = hasSampleRateConverter(model());
    setEnabled(id::srcGroup, converter);
    for (int i = 0; i < 4; ++i) {
        setEnabled(id::src1 + i, converter);
        setChecked(id::src1 + i, converter && (param(param::srcEnable) & (1 << i)) != 0);
    }

    QStringList sources{"OFF", "AES IN", "A/D", "MADI 1-32", "MADI 33-64"};
    if (aes) {
        sources[1] = QStringLiteral("AES 1-32");
        sources[2] = QStringLiteral("AES 33-64");
    }
    for (const Selector& s : kSelectors) {
        QStringList items = sources;
        // Only the PX outputs can fall back to another source.
        if (!aes && s.parameter == param::routingB) {
            items << QStringLiteral("Fallback");
        }
        setItems(s.control, items);
        setCurrentIndex(s.control, (param(s.parameter) >> s.shift) & 0x07);
    }

    setChecked(id::userbit, (param(param::madiFormat) & kUserbitBits) == kUserbitBits);
}

bool PxSettingsModel::clickOwn(int control, bool checked) {
    if (control >= id::src1 && control < id::src1 + 4) {
        setBits(param::srcEnable, static_cast<std::uint8_t>(1 << (control - id::src1)), checked);
        setChecked(control, checked);
        return true;
    }
    if (control != id::userbit) {
        return false;
    }
    if (checked &&
        interaction().message(QString::fromLatin1(kUserbitTitle), QString::fromLatin1(kUserbitText),
                              MessageIcon::Question, MessageButtons::OkCancel) != Answer::Ok) {
        checked = false;
    }
    setBits(param::madiFormat, kUserbitBits, checked);
    setChecked(control, checked);
    return true;
}

bool PxSettingsModel::selectOwn(int control, int index) {
    for (const Selector& s : kSelectors) {
        if (s.control == control) {
            const auto mask = static_cast<std::uint8_t>(0x07 << s.shift);
            param(s.parameter) =
                static_cast<std::uint8_t>((param(s.parameter) & ~mask) | (index << s.shift));
            return true;
        }
    }
    return false;
}

bool PxSettingsModel::redundancyModel() const {
    return model() == 13 || model() == 14 || isAesModel(model());
}

bool PxSettingsModel::ledDimModel() const {
    return frontPanel(model()) == FrontPanel::Extended;
}

// The AES models have no analog levels to choose.
bool PxSettingsModel::analogInDisabled() const {
    return isAesModel(model());
}

bool PxSettingsModel::analogOutDisabled() const {
    return isAesModel(model());
}

} // namespace varento
