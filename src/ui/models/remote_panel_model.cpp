#include "ui/models/remote_panel_model.h"

#include "app/session.h"
#include "protocol/catalog.h"
#include "ui/models/px_settings_model.h"
#include "ui/models/unit_settings_model.h"

#include <QPointer>

#include <memory>

namespace varento {

namespace {

constexpr std::uint8_t kUsbEmbedder = 0x20;
constexpr QPoint kDialogOffset{600, 80};

// The parts of the window that change with the parameters, the blink and the buttons.
constexpr QRect kBaseRefreshArea{10, 10, 640, 410};
constexpr QRect kExtendedRefreshArea{10, 10, 650, 410};
constexpr QRect kBaseBlinkArea{120, 78, 210, 122};
constexpr QRect kExtendedBlinkArea{42, 78, 488, 342};
constexpr QRect kMatrixArea{40, 20, 560, 500};
constexpr QRect kBankArea{140, 120, 260, 130};
constexpr QRect kResetArea{40, 300, 360, 200};

bool doubleSpeed(const DeviceRecord& r) {
    return (r.at(param::clockRate) & 0x60) == 0x20;
}

} // namespace

RemotePanelModel::RemotePanelModel(panel::PanelKind kind, Session& session, QObject* parent)
    : QObject(parent), kind_(kind), session_(session), images_(panel::initialImages(kind)) {
    blinkTimer_.setInterval(kBlinkMs);
    connect(&blinkTimer_, &QTimer::timeout, this, &RemotePanelModel::blinkTick);
}

RemotePanelModel::~RemotePanelModel() = default;

void RemotePanelModel::setModel(int model) {
    if (const auto images = panel::imagesFor(kind_, model)) {
        images_ = *images;
        emit repaintRequested(wholeWindow());
    }
}

panel::PanelState RemotePanelModel::state() const {
    return panel::panelState(kind_, session_.current(), blinkPhase_);
}

bool RemotePanelModel::command(int id) {
    const bool base = kind_ == panel::PanelKind::Base;
    switch (id) {
    case remote_command::refresh:
        refresh();
        return true;
    case remote_command::openSettings:
        openSettings();
        return true;
    case remote_command::startBlinking:
        startBlinking();
        return true;
    case remote_command::stopBlinking:
        stopBlinking();
        return true;
    case remote_command::matrixMode:
        if (base) {
            toggleMatrixMode();
        }
        return base;
    case remote_command::bank:
        if (base) {
            toggleBank();
        }
        return base;
    case remote_command::resetRouting:
        if (base) {
            resetRouting();
        }
        return base;
    case remote_command::sendAllSettings:
        session_.editor().applySettings(working_ ? *working_ : session_.current(), true);
        emit repaintRequested(wholeWindow());
        return true;
    case remote_command::sendIdentify:
        session_.editor().identify(working_ ? *working_ : session_.current());
        emit repaintRequested(wholeWindow());
        return true;
    default:
        return false;
    }
}

void RemotePanelModel::refresh() {
    command(panel::blinkNeeded(kind_, session_.current()) ? remote_command::startBlinking
                                                          : remote_command::stopBlinking);
    if (kind_ == panel::PanelKind::Base) {
        updateButtons();
    }
    emit repaintRequested(kind_ == panel::PanelKind::Base ? kBaseRefreshArea
                                                          : kExtendedRefreshArea);
}

// ---- blinking --------------------------------------------------------------------------------

void RemotePanelModel::startBlinking() {
    if (!blinkTimer_.isActive()) {
        blinkTimer_.start();
    }
}

void RemotePanelModel::stopBlinking() {
    if (blinkTimer_.isActive() || blinking_) {
        blinkTimer_.stop();
        blinking_ = false;
        blinkPhase_ = false;
        emit repaintRequested(kind_ == panel::PanelKind::Base ? kBaseBlinkArea
                                                              : kExtendedBlinkArea);
    }
}

void RemotePanelModel::blinkTick() {
    blinkPhase_ = !blinkPhase_;
    blinking_ = true;
    emit repaintRequested(kind_ == panel::PanelKind::Base ? kBaseBlinkArea : kExtendedBlinkArea);
}

// ---- clicks ----------------------------------------------------------------------------------

bool RemotePanelModel::opensSettings(QPoint at) const {
    const int x = at.x();
    const int y = at.y();
    if (kind_ == panel::PanelKind::Base) {
        return (x > 20 && x < 500 && y > 50 && y < 200) ||
               (x > 20 && x < 170 && y > 200 && y < 230);
    }
    const int model = session_.current().model;
    return (x > 20 && x < 500 && y > 50 && y < 300) ||
           (x > 520 && x <= 654 && y >= 236 && y < 260) ||
           ((model == 10 || model == 14) && x > 20 && x < 500 && y > 300 && y < 370) ||
           (model == 19 && x >= 21 && x <= 499 && y > 300 && y < 470);
}

bool RemotePanelModel::click(QPoint at) {
    if (!opensSettings(at)) {
        return false;
    }
    command(remote_command::openSettings);
    return true;
}

// ---- the settings dialog ---------------------------------------------------------------------

void RemotePanelModel::openSettings() {
    // No settings before the unit's parameters are in; and one dialog at a time.
    if (session_.current().awaitingData == 1 || working_ || !runner_) {
        return;
    }
    // The dialog edits a copy; its decisions reach the unit through the editor.
    DeviceRecord working = session_.current();
    const std::uint8_t ioBefore = working.at(param::ioOptions);
    if (!position_) {
        position_ = (origin_ ? origin_() : QPoint()) + kDialogOffset;
    }

    tellMainWindow(command_id::stopTimers);
    std::unique_ptr<SettingsModel> dialog;
    if (kind_ == panel::PanelKind::Base) {
        dialog = std::make_unique<UnitSettingsModel>(working, session_.interaction());
    } else {
        dialog = std::make_unique<PxSettingsModel>(working, session_.interaction());
    }
    connect(dialog.get(), &SettingsModel::ownerCommand, this, [this](int id) { command(id); });
    dialog->setPosition(*position_);
    dialog->open();
    working_ = &working;
    // A lost link may close this window while its dialog is open: then nothing of
    // it may be touched, and the settings it showed are dropped like a Cancel.
    const QPointer<RemotePanelModel> alive(this);
    Session& session = session_;
    const std::optional<int> shown = runner_(*dialog);
    if (alive.isNull()) {
        session.command(command_id::restartTimers);
        return;
    }
    working_ = nullptr;
    const int result = shown.value_or(0);
    if (dialog->position()) {
        position_ = dialog->position();
    }

    // The extended window sends after Cancel too, which puts back on the unit what
    // an Apply may have changed.
    session_.editor().applySettings(working, result == 1 || kind_ == panel::PanelKind::Extended);
    if (((working.at(param::ioOptions) ^ ioBefore) & kUsbEmbedder) != 0) {
        session_.restartDiscovery();
    }
    if (kind_ == panel::PanelKind::Base) {
        updateButtons();
    }
    emit repaintRequested(wholeWindow());
    tellMainWindow(command_id::restartTimers);
}

void RemotePanelModel::tellMainWindow(int id) {
    if (mainWindow_) {
        mainWindow_(id);
    } else {
        session_.command(id);
    }
}

// ---- the base window's buttons ---------------------------------------------------------------

// The bank can be switched only at single or quad speed and outside matrix mode;
// routing can be reset only in matrix mode.
void RemotePanelModel::updateButtons() {
    const DeviceRecord& r = session_.current();
    const bool matrix = r.flag(UnitFlag::MatrixMode);
    const bool bankUsable = !matrix && !doubleSpeed(r);
    const ButtonLook bank{bankUsable, bankUsable ? 0 : 4};
    const ButtonLook reset{matrix, matrix ? 0 : 4};
    if (bank != bank_ || reset != reset_) {
        bank_ = bank;
        reset_ = reset;
        emit buttonsChanged();
    }
}

void RemotePanelModel::toggleMatrixMode() {
    session_.editor().toggleFlag(UnitFlag::MatrixMode);
    updateButtons();
    emit repaintRequested(kMatrixArea);
}

void RemotePanelModel::toggleBank() {
    session_.editor().toggleFlag(UnitFlag::UpperBank);
    emit repaintRequested(kBankArea);
}

void RemotePanelModel::resetRouting() {
    const Answer answer = session_.interaction().message(
        QStringLiteral("Reset Routing?"),
        QStringLiteral("Do you really want to reset the audio routing to 1:1?"),
        MessageIcon::Question, MessageButtons::YesNo);
    if (answer != Answer::Yes) {
        return;
    }
    RoutingTable table = RoutingTable::of(session_.current());
    for (int slot = 0; slot < 128; ++slot) {
        // Outputs 33..64 take sources 65..96, like the upper half of the table.
        const int from = slot >= 32 && slot < 64 ? slot + 32 : slot;
        table.sources[static_cast<std::size_t>(slot)] = static_cast<std::uint8_t>(from);
    }
    session_.editor().setRoutingTable(table);
    emit repaintRequested(kResetArea);
}

} // namespace varento
