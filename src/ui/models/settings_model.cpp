#include "ui/models/settings_model.h"

#include "protocol/catalog.h"
#include "ui/models/settings_ids.h"

#include <algorithm>

namespace varento {

namespace id = settings_id;

namespace {

constexpr std::uint8_t kSourceMask = 0x03;
constexpr std::uint8_t kTerm = 0x04;
constexpr std::uint8_t kFamily441 = 0x08;
constexpr std::uint8_t kFamily48 = 0x10;
constexpr std::uint8_t kDouble = 0x20;
constexpr std::uint8_t kQuad = 0x40;
constexpr std::uint8_t kSpeedMask = kDouble | kQuad;
constexpr std::uint8_t kRateMask = 0x78;
constexpr std::uint8_t kBit6 = 0x40;
constexpr std::array<std::uint8_t, 6> kRateValues{0x08, 0x10, 0x28, 0x30, 0x48, 0x50};

constexpr int kFanSlowMin = 30;
constexpr int kFanSlowMax = 60;
constexpr int kFanFastMin = 40;
constexpr int kFanFastMax = 70;
constexpr int kFanGap = 10;

const char* const kUsbWarningTitle = "USB Embedder Warning";
const char* const kUsbWarningText =
    "Please make sure that you have a closed MADI loop starting from this device back to this "
    "device.\nOnly one device in the chain is allowed to have the USB Embedder activated.\n"
    "Otherwise the remote connection will fail and you might need to power cycle the device to "
    "regain access to it.\n\nThis setting is volatile and will be reset on reboot of the device.";

// 0 for the 44.1 kHz family, 1 for 48 kHz, -1 when the rate names neither.
int familyIndex(std::uint8_t clockRate) {
    if ((clockRate & kFamily48) != 0) {
        return 1;
    }
    return (clockRate & kFamily441) != 0 ? 0 : -1;
}

int rateIndex(int family, int speedOffset) {
    return family < 0 ? -1 : family + speedOffset;
}

QStringList numbers(int from, int to) {
    QStringList list;
    for (int n = from; n <= to; ++n) {
        list << QString::number(n);
    }
    return list;
}

ControlState labelled(const char* text, bool enabled = true) {
    ControlState c;
    c.text = QString::fromLatin1(text);
    c.enabled = enabled;
    return c;
}

} // namespace

SettingsModel::SettingsModel(DeviceRecord& record, Interaction& interaction, QObject* parent)
    : DialogModel(parent), record_(record), interaction_(interaction) {}

void SettingsModel::addCommonControls() {
    addControl(id::clockWck, labelled("WCK"));
    addControl(id::clockMadi, labelled("MADI"));
    addControl(id::clockInt, labelled("INT"));
    addControl(id::term, labelled("Term."));
    addControl(id::rate);
    addControl(id::speed2, labelled("2 FS"));
    addControl(id::speed4, labelled("4 FS"));
    addControl(id::madi56, labelled("56ch"));
    addControl(id::madi96k, labelled("96k"));
    addControl(id::analogIn);
    addControl(id::analogOut);
    addControl(id::matrixMode, labelled("Enable Matrix Mode"));
    addControl(id::extendedRouting, labelled("Enable Extended Routing"));
    // The redundancy group starts disabled; the models with two MADI ports enable it.
    addControl(id::redundancyGroup, labelled("Redundancy Mode", false));
    addControl(id::redundancy, labelled("", false));
    addControl(id::remoteLabel, labelled("Remote over MADI", false));
    addControl(id::remotePort, labelled("", false));
    addControl(id::usbEmbedder, labelled("USB Embedder"));
    addControl(id::displayDark, labelled("Display Dark"));
    addControl(id::ledDim, labelled("LED Dim:"));
    ControlState delay = labelled("Disable Automatic Delay Compensation");
    delay.visible = false;
    addControl(id::delayCompensation, delay);
    addControl(id::fanSlow, labelled("Fan Slow @"));
    addControl(id::fanFast, labelled("Fan Fast @"));
    addControl(id::safeMode, labelled(" Enable Safe Mode (Fan always running)"));
    addControl(id::identify, labelled("Identify Device"));
    addControl(id::ok, labelled("OK"));
    addControl(id::cancel, labelled("Cancel"));
    addControl(id::apply, labelled("&Apply", false));
}

void SettingsModel::setBits(int n, std::uint8_t mask, bool on) {
    std::uint8_t& byte = param(n);
    byte = static_cast<std::uint8_t>(on ? byte | mask : byte & ~mask);
}

bool SettingsModel::matrixModeOn() const {
    return (param(param::routingB) & kBit6) != 0;
}

// ---- opening ---------------------------------------------------------------------------------

void SettingsModel::open() {
    opening_ = record_;
    edit_ = record_;
    result_.reset();

    setVisible(id::extendedRouting,
               extendedRoutingSupported(model(),
                                        static_cast<std::int8_t>(param(param::firmwareMajor)),
                                        static_cast<std::int8_t>(param(param::firmwareMinor))));
    openRate();
    openClockSource();

    const QStringList levels{"HIGH", "LOW"};
    setEnabled(id::analogIn, !analogInDisabled());
    setEnabled(id::analogOut, !analogOutDisabled());
    setItems(id::analogIn, levels);
    setItems(id::analogOut, levels);
    const int in = param(param::ioOptions) & 0x03;
    const int out = param(param::ioOptions) & 0x0C;
    setCurrentIndex(id::analogIn, in == 2 ? 0 : in == 1 ? 1 : -1);
    setCurrentIndex(id::analogOut, out == 8 ? 0 : out == 4 ? 1 : -1);

    setChecked(id::madi56, (param(param::madiFormat) & 0x01) == 0);
    setChecked(id::madi96k, (param(param::madi96kChoice) & 0x02) != 0);

    // A fast threshold below the slow one is put right in the working copy, so what
    // the list shows is what OK writes; Cancel still restores the opening record.
    if (param(param::fanFastTemp) < param(param::fanSlowTemp)) {
        param(param::fanFastTemp) =
            static_cast<std::uint8_t>(std::min(param(param::fanSlowTemp) + kFanGap, kFanFastMax));
    }
    setItems(id::fanSlow, numbers(kFanSlowMin, kFanSlowMax));
    setItems(id::fanFast, numbers(kFanFastMin, kFanFastMax));
    setCurrentIndex(id::fanSlow, param(param::fanSlowTemp) - kFanSlowMin);
    setCurrentIndex(id::fanFast, param(param::fanFastTemp) - kFanFastMin);

    setChecked(id::safeMode, (param(param::ioOptions) & kBit6) != 0);
    checkRadio((param(param::routingA) & kBit6) != 0 ? id::bankHigh : id::bankLow,
               {id::bankLow, id::bankHigh});
    setChecked(id::matrixMode, matrixModeOn());
    setChecked(id::extendedRouting, (param(param::remoteOptions) & 0x04) != 0);
    showMatrixMode(matrixModeOn());

    openRedundancy();

    setChecked(id::usbEmbedder, (param(param::ioOptions) & 0x20) != 0);

    setVisible(id::ledDim, ledDimModel());
    if (ledDimModel()) {
        setItems(id::ledDim, {"Very Dim", "Dim", "Bright", "Very Bright"});
        setCurrentIndex(id::ledDim, edit_.ledDimLevel());
    }

    setEnabled(id::displayDark, true);
    setChecked(id::displayDark, (param(param::remoteOptions) & kBit6) != 0);

    setVisible(id::delayCompensation, model() == 11);
    setChecked(id::delayCompensation, (param(param::delayOptions) & kBit6) != 0);

    openOwnControls();
}

void SettingsModel::openRate() {
    setItems(id::rate, {"44.1kHz", "48kHz", "88.2kHz", "96kHz", "176.4kHz", "192kHz"});
    const std::uint8_t rate = param(param::clockRate);
    const int family = familyIndex(rate);
    if ((rate & kDouble) != 0) {
        setCurrentIndex(id::rate, rateIndex(family, 2));
        setSpeedBoxes(true, false);
        setBits(param::madi96kChoice, 0x02, (param(param::madiFormat) & 0x02) != 0);
    } else if ((rate & kQuad) != 0) {
        setCurrentIndex(id::rate, rateIndex(family, 4));
        setSpeedBoxes(false, true);
    } else {
        setCurrentIndex(id::rate, family);
        setSpeedBoxes(false, false);
    }
}

void SettingsModel::openClockSource() {
    const int source = param(param::clockRate) & kSourceMask;
    const int radio = sourceRadios_[static_cast<std::size_t>(source)];
    checkRadio(radio, {id::clockInt, id::clockAes, id::clockWck, id::clockMadi});
    setEnabled(id::term, source == 2);
    setEnabled(id::speed2, source != 0);
    setEnabled(id::speed4, source != 0);
    setEnabled(id::rate, source == 0);
    if (source == 2) {
        param(param::wckTermChoice) = param(param::clockRate) & kTerm;
    }
    setChecked(id::term, (param(param::wckTermChoice) & kTerm) != 0);
}

void SettingsModel::openRedundancy() {
    const bool on = redundancyModel();
    for (int control : {id::redundancyGroup, id::redundancy, id::remoteLabel, id::remotePort}) {
        setEnabled(control, on);
    }
    if (!on) {
        return;
    }
    setItems(id::redundancy, {"Redundancy active", "Force to MADI 1", "Force to MADI 2",
                              "Prio to MADI 1", "Prio to MADI 2"});
    const bool forced = (param(param::ioOptions) & 0x10) != 0;
    switch (param(param::madiFormat) & 0x0C) {
    case 0x00:
        setCurrentIndex(id::redundancy, 0);
        break;
    case 0x04:
        setCurrentIndex(id::redundancy, forced ? 1 : 3);
        break;
    case 0x08:
        setCurrentIndex(id::redundancy, forced ? 2 : 4);
        break;
    default:
        break;
    }
    setItems(id::remotePort, {"Follow Redundancy", "Remote over MADI 1", "Remote over MADI 2"});
    setCurrentIndex(id::remotePort, param(param::remoteOptions) & 0x03); // 3: no entry
}

// ---- the controls that depend on each other -------------------------------------------------

void SettingsModel::setSpeedBoxes(bool doubleSpeed, bool quadSpeed) {
    setChecked(id::speed2, doubleSpeed);
    setChecked(id::speed4, quadSpeed);
}

// The upper bank needs single speed, and neither bank can be chosen in matrix mode.
void SettingsModel::updateBankRadios() {
    const bool matrix = matrixModeOn();
    setEnabled(id::bankLow, !matrix);
    setEnabled(id::bankHigh, !matrix && (param(param::clockRate) & kSpeedMask) == 0);
}

void SettingsModel::showMatrixMode(bool on) {
    setEnabled(id::extendedRouting, on && model() >= 11);
    updateBankRadios();
    // The matrix takes over the output routing; the stored choices stay.
    for (int selector : {id::aesOut, id::daOut, id::out1To32, id::out33To64}) {
        setEnabled(selector, !on);
    }
}

// ---- clicks ----------------------------------------------------------------------------------

void SettingsModel::touch() {
    setEnabled(id::apply, true);
}

bool SettingsModel::click(int control, bool checked) {
    if (result_ || !canUse(control)) {
        return false;
    }
    switch (control) {
    case id::clockWck:
    case id::clockMadi:
    case id::clockInt:
    case id::clockAes:
        touch();
        clickClockSource(control);
        return true;
    case id::speed2:
    case id::speed4:
        touch();
        clickSpeed(control, checked);
        return true;
    case id::bankLow:
    case id::bankHigh:
        touch();
        checkRadio(control, {id::bankLow, id::bankHigh});
        setBits(param::routingA, kBit6, control == id::bankHigh);
        return true;
    case id::usbEmbedder:
        touch();
        if (checked) {
            interaction_.message(QString::fromLatin1(kUsbWarningTitle),
                                 QString::fromLatin1(kUsbWarningText), MessageIcon::None,
                                 MessageButtons::Ok);
        }
        setBits(param::ioOptions, 0x20, checked);
        setChecked(control, checked);
        return true;
    default:
        break;
    }

    struct BitBox {
        int control;
        int parameter;
        std::uint8_t mask;
    };
    static constexpr BitBox kBoxes[] = {
        {id::madi56, param::madiFormat, 0x01}, // set means 64 channels: inverted below
        {id::madi96k, param::madiFormat, 0x02},
        {id::displayDark, param::remoteOptions, kBit6},
        {id::extendedRouting, param::remoteOptions, 0x04},
        {id::safeMode, param::ioOptions, kBit6},
        {id::delayCompensation, param::delayOptions, kBit6},
    };
    for (const BitBox& box : kBoxes) {
        if (box.control == control) {
            touch();
            setBits(box.parameter, box.mask, control == id::madi56 ? !checked : checked);
            if (control == id::madi96k) {
                setBits(param::madi96kChoice, 0x02, checked);
            }
            setChecked(control, checked);
            return true;
        }
    }
    if (control == id::term) {
        touch();
        setBits(param::clockRate, kTerm, checked);
        param(param::wckTermChoice) = checked ? kTerm : 0;
        setChecked(control, checked);
        return true;
    }
    if (control == id::matrixMode) {
        touch();
        setBits(param::routingB, kBit6, checked);
        setChecked(control, checked);
        showMatrixMode(checked);
        return true;
    }
    if (clickOwn(control, checked)) {
        touch();
        return true;
    }
    return false;
}

bool SettingsModel::clickOwn(int, bool) {
    return false;
}

void SettingsModel::clickClockSource(int control) {
    std::uint8_t& rate = param(param::clockRate);
    int source = 0;
    switch (control) {
    case id::clockWck:
        // Back on word clock the remembered termination comes back too.
        rate =
            static_cast<std::uint8_t>((rate & 0xFA) | 0x02 | (param(param::wckTermChoice) & kTerm));
        source = 2;
        break;
    case id::clockMadi:
        rate |= 0x03;
        source = 3;
        break;
    case id::clockAes:
        rate = static_cast<std::uint8_t>((rate & 0xFD) | 0x01); // the termination bit stays
        source = 1;
        break;
    default:
        rate &= static_cast<std::uint8_t>(~kSourceMask);
        break;
    }
    checkRadio(control, {id::clockInt, id::clockAes, id::clockWck, id::clockMadi});
    setEnabled(id::term, source == 2);
    setEnabled(id::speed2, source != 0);
    setEnabled(id::speed4, source != 0);
    setEnabled(id::rate, source == 0);
}

void SettingsModel::clickSpeed(int control, bool checked) {
    const bool doubleBox = control == id::speed2;
    std::uint8_t& rate = param(param::clockRate);
    rate &= static_cast<std::uint8_t>(~kSpeedMask);
    if (checked) {
        rate |= doubleBox ? kDouble : kQuad;
    }
    setSpeedBoxes(doubleBox && checked, !doubleBox && checked);
    const int family = familyIndex(rate);
    setCurrentIndex(id::rate, checked ? rateIndex(family, doubleBox ? 2 : 4) : family);
    updateBankRadios();
}

// ---- selections ------------------------------------------------------------------------------

bool SettingsModel::select(int control, int index) {
    if (result_ || !canUse(control) || index < 0 || index >= this->control(control).items.size()) {
        return false;
    }
    touch();
    setCurrentIndex(control, index);
    switch (control) {
    case id::rate:
        selectRate(index);
        return true;
    case id::analogIn:
        param(param::ioOptions) =
            static_cast<std::uint8_t>((param(param::ioOptions) & ~0x03) | (index == 0 ? 2 : 1));
        return true;
    case id::analogOut:
        param(param::ioOptions) =
            static_cast<std::uint8_t>((param(param::ioOptions) & ~0x0C) | (index == 0 ? 8 : 4));
        return true;
    case id::fanSlow:
    case id::fanFast:
        selectFan(control, index);
        return true;
    case id::redundancy:
        selectRedundancy(index);
        return true;
    case id::remotePort:
        param(param::remoteOptions) =
            static_cast<std::uint8_t>((param(param::remoteOptions) & ~0x03) | index);
        return true;
    case id::ledDim:
        if (isAesModel(model())) {
            param(param::statusLeds) =
                static_cast<std::uint8_t>((param(param::statusLeds) & ~0x30) | (index << 4));
        } else {
            setBits(param::ledDim1, 0x08, (index & 0x02) != 0);
            setBits(param::ledDim2, 0x08, (index & 0x01) != 0);
        }
        return true;
    default:
        return selectOwn(control, index);
    }
}

bool SettingsModel::selectOwn(int, int) {
    return false;
}

void SettingsModel::selectRate(int index) {
    std::uint8_t& rate = param(param::clockRate);
    rate = static_cast<std::uint8_t>((rate & ~kRateMask) |
                                     kRateValues[static_cast<std::size_t>(index)]);
    if (index >= 2 && index < 4) {
        // Double speed: the 96k frame the user chose last comes back.
        setBits(param::madiFormat, 0x02, (param(param::madi96kChoice) & 0x02) != 0);
    }
    setSpeedBoxes(index >= 2 && index < 4, index >= 4);
    updateBankRadios();
}

void SettingsModel::selectFan(int control, int index) {
    int slow = param(param::fanSlowTemp);
    int fast = param(param::fanFastTemp);
    if (control == id::fanSlow) {
        slow = kFanSlowMin + index;
        if (slow > fast - kFanGap) {
            fast = std::min(slow + kFanGap, kFanFastMax);
            setCurrentIndex(id::fanFast, fast - kFanFastMin);
        }
    } else {
        fast = kFanFastMin + index;
        if (fast < slow + kFanGap) {
            slow = std::max(fast - kFanGap, kFanSlowMin);
            setCurrentIndex(id::fanSlow, slow - kFanSlowMin);
        }
    }
    param(param::fanSlowTemp) = static_cast<std::uint8_t>(slow);
    param(param::fanFastTemp) = static_cast<std::uint8_t>(fast);
}

void SettingsModel::selectRedundancy(int index) {
    static constexpr std::uint8_t kPort[] = {0x00, 0x04, 0x08, 0x04, 0x08};
    std::uint8_t& format = param(param::madiFormat);
    format = static_cast<std::uint8_t>((format & ~0x0C) | kPort[index]);
    if (index == 0 && automaticKeepsForced_) {
        return;
    }
    setBits(param::ioOptions, 0x10, index == 1 || index == 2);
}

// ---- closing ---------------------------------------------------------------------------------

bool SettingsModel::press(int control) {
    if (result_ || !canUse(control)) {
        return false;
    }
    switch (control) {
    case id::ok:
        record_ = edit_;
        finish(1);
        return true;
    case id::cancel:
        record_ = opening_;
        finish(0);
        return true;
    case id::apply:
        record_ = edit_;
        emit ownerCommand(owner_command::sendAllSettings);
        setEnabled(id::apply, false);
        emit focusRequested(id::ok);
        return true;
    case id::identify:
        touch();
        // Identify goes out at once with the record as it was opened; the other
        // pending edits wait for OK or Apply.
        opening_.at(param::remoteOptions) = param(param::remoteOptions) | 0x08;
        record_ = opening_;
        emit ownerCommand(owner_command::sendIdentify);
        return true;
    default:
        return false;
    }
}

void SettingsModel::finish(int result) {
    result_ = result;
    emit finished(result);
}

} // namespace varento
