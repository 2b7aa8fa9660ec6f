#include "ui/models/gain_model.h"

#include "app/cp1252.h"
#include "app/session.h"
#include "protocol/catalog.h"

#include <QRegularExpression>

namespace varento {

namespace {

constexpr std::uint8_t kPadBit = 0x01;
constexpr std::uint8_t kP48Bit = 0x02;
constexpr int kReferenceLevels = 30;
constexpr int kSwitchTextLimit = 12;

std::uint8_t gpoBit(GainModel::Gpo which) {
    switch (which) {
    case GainModel::Gpo::One:
        return 0x10;
    case GainModel::Gpo::Two:
        return 0x20;
    case GainModel::Gpo::Invert:
        break;
    }
    return 0x40;
}

// The models whose units the Switch Device column reaches.
bool countsForSwitchDevice(const KnownDevice& entry) {
    return entry.presence == presence::online &&
           (entry.typeName == "VARENTO.LC" || entry.typeName == "VARENTO.LC Corvel");
}

} // namespace

const QString GainModel::kNoSnapshot = QStringLiteral(
    "A snapshot file contains gain, P48 and PAD data of all devices that are currently online.");
const QString GainModel::kNoProject = QStringLiteral("-- No Project loaded --");

GainModel::GainModel(Session& session, FaderGroup::Clock clock, QObject* parent)
    : QObject(parent), session_(session), group_(std::move(clock)), snapshotText_(kNoSnapshot),
      projectText_(kNoProject) {
    const AppState& state = session_.state();
    displayOptions_ = state.gainDisplayOptions;
    // A level outside the list (a damaged setting) counts as none chosen.
    referenceLevel_ = state.gainReferenceLevel >= 1 && state.gainReferenceLevel <= kReferenceLevels
                          ? state.gainReferenceLevel
                          : 0;
    connect(&group_, &FaderGroup::commitOne, this, [this](int c) {
        session_.editor().setInputGain(c, static_cast<std::uint8_t>(fader(c).gainValue()));
    });
    connect(&group_, &FaderGroup::commitAll, this, &GainModel::commitAll);
    connect(&group_, &FaderGroup::labelChanged, this,
            [this](int c) { session_.editor().setLabel(32 + c, fader(c).label()); });
    connect(&session_, &Session::gainsChanged, this, &GainModel::refresh);
    connect(&session_, &Session::parametersChanged, this, &GainModel::refresh);
    // A new list may put the current unit under another button.
    connect(&session_, &Session::unitListChanged, this, [this] {
        refresh();
        if (capabilities(session_.current().model).micInputs) {
            selectUnit(session_.current().uid);
        }
    });
    connect(&session_, &Session::labelsChanged, this, &GainModel::applyLabels);
    connect(&session_, &Session::projectChanged, this, &GainModel::setProject);
    if (!state.lastSnapshotFileDirectory.isEmpty()) {
        setProject(state.lastSnapshotFileName, state.lastSnapshotFileDirectory, true);
    }
}

void GainModel::attach(const std::vector<FaderModel*>& faders) {
    faders_ = faders;
    group_.attach(faders);
    for (FaderModel* f : faders_) {
        f->setDisplayFlags(gainValueShown() ? 1 : 0);
        f->setReferenceLevel(referenceLevel_);
    }
    for (Page& page : pages_) {
        page = {std::vector<bool>(faders_.size(), false), std::nullopt};
    }
    group_.clearSelection();
    applyLabels();
    refresh();
}

// ---- from the unit -----------------------------------------------------------------------

int GainModel::refresh() {
    const DeviceRecord& unit = session_.current();
    // Another unit became current (by the selector or a Switch Device button). A
    // group move still pending was made on the unit before: it goes to that unit
    // now, never to this one.
    const bool unitChanged = lastCurrent_ != unit.uid;
    if (unitChanged) {
        group_.finishGroupMove(true);
    }
    lastCurrent_ = unit.uid;
    const bool holdPositions = group_.groupMovePending();
    for (int c = 0; c < static_cast<int>(faders_.size()); ++c) {
        FaderModel& f = fader(c);
        const bool pad = (unit.inputSwitch[static_cast<size_t>(c)] & kPadBit) != 0;
        if (f.pad() != pad) {
            f.setPad(pad); // each change repaints the fader
        }
        if (!holdPositions && !f.dragging()) {
            f.setPosition(FaderModel::gainPosition(unit.inputGain[static_cast<size_t>(c)]));
        }
    }
    int filled = 0;
    for (const KnownDevice& entry : session_.deviceList()) {
        if (filled == kPages) {
            break;
        }
        if (countsForSwitchDevice(entry)) {
            SwitchDevice& button = switches_[static_cast<size_t>(filled++)];
            button.text = fromWindows1252(entry.userName).left(kSwitchTextLimit);
            button.uid = entry.uid;
        }
    }
    if (unitChanged && capabilities(unit.model).micInputs) {
        selectUnit(unit.uid);
    }
    emit changed();
    return filled;
}

void GainModel::selectUnit(const DeviceUid& uid) {
    int counted = 0;
    bool found = false;
    for (const KnownDevice& entry : session_.deviceList()) {
        if (entry.uid == uid) {
            found = true;
            break;
        }
        if (countsForSwitchDevice(entry)) {
            ++counted;
        }
    }
    switchOn_ = -1;
    if (found && counted < kPages) {
        switchOn_ = counted;
        usePage(counted);
    }
    emit changed();
}

void GainModel::usePage(int page) {
    Page& old = pages_[static_cast<size_t>(page_)];
    old = {group_.selection(), group_.anchor()};
    page_ = page;
    const Page& now = pages_[static_cast<size_t>(page_)];
    group_.restoreSelection(now.flags, now.anchor);
}

void GainModel::applyLabels() {
    const DeviceRecord& unit = session_.current();
    for (int c = 0; c < static_cast<int>(faders_.size()); ++c) {
        fader(c).setLabel(labelText(unit.labels[static_cast<size_t>(32 + c)]));
    }
}

GainModel::ProjectTexts GainModel::projectTexts(const QString& snapshotName,
                                                const QString& projectPath) {
    if (snapshotName.isEmpty() && projectPath.isEmpty()) {
        return {kNoSnapshot, kNoProject};
    }
    if (snapshotName.isEmpty()) {
        return {QString(), projectPath};
    }
    const qsizetype dot = snapshotName.lastIndexOf(QLatin1Char('.'));
    // Saved here with "/", on the units' home system with "\".
    static const QRegularExpression separator(QStringLiteral("[\\\\/]"));
    const QStringList parts = projectPath.split(separator);
    return {dot < 0 ? QString() : snapshotName.left(dot),
            parts.size() >= 2 ? parts[parts.size() - 2] : projectPath};
}

void GainModel::setProject(const QString& snapshotName, const QString& projectPath, bool light) {
    const ProjectTexts texts = projectTexts(snapshotName, projectPath);
    snapshotText_ = texts.snapshot;
    projectText_ = texts.project;
    if (light) {
        saveLit_ = true;
    }
    emit changed();
}

// ---- what the window shows ------------------------------------------------------------------

bool GainModel::p48(int c) const {
    return (session_.current().inputSwitch.at(static_cast<size_t>(c)) & kP48Bit) != 0;
}

bool GainModel::pad(int c) const {
    return (session_.current().inputSwitch.at(static_cast<size_t>(c)) & kPadBit) != 0;
}

bool GainModel::gpo(Gpo which) const {
    return (session_.current().at(param::srcEnable) & gpoBit(which)) != 0;
}

// ---- the user's actions ---------------------------------------------------------------------

void GainModel::setSwitch(int c, std::uint8_t bit, bool on) {
    if (c < 0 || c >= kChannels) {
        return;
    }
    const std::uint8_t now = session_.current().inputSwitch[static_cast<size_t>(c)];
    // The edit's gains notification refreshes the buttons.
    session_.editor().setInputSwitch(c, static_cast<std::uint8_t>(on ? now | bit : now & ~bit));
}

void GainModel::setP48(int c, bool on) {
    setSwitch(c, kP48Bit, on);
}

void GainModel::setPad(int c, bool on) {
    setSwitch(c, kPadBit, on);
}

void GainModel::setGpo(Gpo which, bool on) {
    const std::uint8_t now = session_.current().at(param::srcEnable);
    const std::uint8_t bit = gpoBit(which);
    session_.editor().setGpoBits(static_cast<std::uint8_t>(on ? now | bit : now & ~bit));
    emit changed();
}

void GainModel::toggleGpo(Gpo which) {
    setGpo(which, !gpo(which));
}

void GainModel::setPeakHold(bool on) {
    displayOptions_ = on ? displayOptions_ | kShowPeakHold : displayOptions_ & ~kShowPeakHold;
    session_.state().gainDisplayOptions = displayOptions_;
    emit changed();
}

void GainModel::setGainValueShown(bool on) {
    displayOptions_ = on ? displayOptions_ | kShowGainValue : displayOptions_ & ~kShowGainValue;
    session_.state().gainDisplayOptions = displayOptions_;
    for (FaderModel* f : faders_) {
        f->setDisplayFlags(on ? 1 : 0);
    }
    emit changed();
}

void GainModel::setReferenceLevel(int level) {
    if (level < 1 || level > kReferenceLevels) {
        return;
    }
    referenceLevel_ = level;
    session_.state().gainReferenceLevel = level;
    for (FaderModel* f : faders_) {
        f->setReferenceLevel(level);
    }
    emit changed();
}

std::optional<int> GainModel::selectorIndexOf(const DeviceUid& uid) const {
    int index = 0;
    for (const KnownDevice& entry : session_.deviceList()) {
        if (entry.presence != presence::online) {
            continue;
        }
        if (entry.uid == uid) {
            return index;
        }
        ++index;
    }
    return std::nullopt;
}

// The button names a unit by its id: the unit it shows is the one selected, even
// when units of other models come before it in the selector.
void GainModel::clickSwitchDevice(int n) {
    if (n < 0 || n >= kPages) {
        return;
    }
    const SwitchDevice& button = switches_[static_cast<size_t>(n)];
    const std::optional<int> index = button.uid ? selectorIndexOf(*button.uid) : std::nullopt;
    if (button.text == QStringLiteral("N/A") || !index) {
        emit changed(); // the button goes back off
        return;
    }
    switchOn_ = n;
    // A group move still pending belongs to the unit being left: it goes out first.
    group_.finishGroupMove(true);
    command(command_id::selectUnitByIndex, *index);
    emit changed();
}

void GainModel::save() {
    saveLit_ = false;
    command(command_id::saveProject, 0);
    emit changed();
}

void GainModel::saveAs() {
    saveLit_ = false;
    command(command_id::saveProjectAs, 0);
    emit changed();
}

void GainModel::load() {
    saveLit_ = false;
    command(command_id::loadProjectGains, 0);
    emit changed();
}

// The faders still show the unit they were moved on, which may have stopped being
// the current one a moment ago.
void GainModel::commitAll() {
    const bool shown = !lastCurrent_ || *lastCurrent_ == session_.currentUnit();
    const DeviceRecord* unit = shown ? &session_.current() : session_.unit(*lastCurrent_);
    if (unit == nullptr) {
        return; // gone meanwhile: the move belongs to no unit now
    }
    std::array<std::uint8_t, kInputCount> gains = unit->inputGain;
    for (int c = 0; c < static_cast<int>(faders_.size()) && c < kInputCount; ++c) {
        gains[static_cast<size_t>(c)] = static_cast<std::uint8_t>(fader(c).gainValue());
    }
    (shown ? session_.editor() : session_.editor(*lastCurrent_)).setInputGains(gains);
}

void GainModel::command(int id, int param) {
    if (commands_) {
        commands_(id, param);
    }
}

} // namespace varento
