#include "ui/models/matrix_model.h"

#include "app/cp1252.h"
#include "app/data_folder.h"
#include "app/program_folder.h"
#include "app/session.h"
#include "protocol/catalog.h"

#include <QFile>

#include <algorithm>
#include <tuple>

namespace varento {

namespace {

namespace mc = matrix_command;

constexpr int kPresetLabelLength = 256;
constexpr int kOutputLabelBase = 192;
constexpr int kBusLabelBase = 384;

struct BankCommand {
    int command;
    bool sourceRow;
    int bank;
};

// Source row first, each row in command order.
constexpr BankCommand kBankCommands[] = {
    {mc::sourceAnalog, true, 1},       {mc::sourceMadi1, true, 2},
    {mc::sourceMadi2, true, 3},        {mc::sourceAes, true, 0},
    {mc::sourceMadi2First, true, 4},   {mc::sourceMadi2Second, true, 5},
    {mc::sourceSum, true, kSumBank},   {mc::outputAnalog, false, 1},
    {mc::outputMadi1, false, 2},       {mc::outputMadi2, false, 3},
    {mc::outputAes, false, 0},         {mc::outputMadi2First, false, 4},
    {mc::outputMadi2Second, false, 5}, {mc::outputSum, false, kSumBank},
};

const BankCommand* bankCommand(int command) {
    for (const BankCommand& c : kBankCommands) {
        if (c.command == command) {
            return &c;
        }
    }
    return nullptr;
}

// x of each bank's buttons when the window is created (banks 0..6).
constexpr int kCreationX[] = {492, 132, 252, 372, 252, 372, 492};

const char* const kCaptions[] = {"AES",         "ANALOG",       "MADI 1..32", "MADI 33..64",
                                 "MADI2 1..32", "MADI2 33..64", "SUM"};

struct Place {
    int bank;
    int x;
};

// Where a model's banks go; banks it does not list are hidden.
std::vector<Place> placesFor(MatrixBanks banks, bool extended) {
    switch (banks) {
    case MatrixBanks::Base:
        if (extended) {
            return {{1, 147}, {2, 237}, {3, 327}, {4, 417}, {5, 507}, {kSumBank, 617}};
        }
        return {{1, 225}, {2, 329}, {3, 432}, {kSumBank, 536}};
    case MatrixBanks::Lc:
    case MatrixBanks::Ad:
    case MatrixBanks::Da:
        if (extended) {
            return {{1, 147}, {2, 237}, {3, 327}, {4, 417}, {5, 507}};
        }
        return {{1, 225}, {2, 329}, {3, 432}};
    case MatrixBanks::Px2:
        if (extended) {
            return {{1, 92}, {2, 182}, {3, 272}, {4, 362}, {5, 452}, {0, 542}, {kSumBank, 632}};
        }
        [[fallthrough]];
    case MatrixBanks::Px:
        return {{1, 195}, {2, 285}, {3, 375}, {0, 465}, {kSumBank, 555}};
    case MatrixBanks::Aes:
        if (extended) {
            return {{0, 92}, {1, 182}, {2, 272}, {3, 362}, {4, 452}, {5, 542}};
        }
        return {{0, 195}, {1, 285}, {2, 375}, {3, 465}};
    case MatrixBanks::Standard:
        break;
    }
    return {{1, kCreationX[1]}, {2, kCreationX[2]}, {3, kCreationX[3]}, {0, kCreationX[0]}};
}

ModelCapabilities capabilitiesOf(const DeviceRecord& r) {
    return capabilities(r.model, static_cast<std::int8_t>(r.at(param::firmwareMajor)),
                        static_cast<std::int8_t>(r.at(param::firmwareMinor)));
}

QString baseCaption(int bank, bool aesModel) {
    if (aesModel && bank == 0) {
        return QStringLiteral("AES 1..32");
    }
    if (aesModel && bank == 1) {
        return QStringLiteral("AES 33..64");
    }
    return QString::fromLatin1(kCaptions[bank]);
}

// The channels a table entry changes between two tables.
template <typename Pick>
RoutingTable merged(const RoutingTable& onto, const RoutingTable& before, const RoutingTable& after,
                    Pick pick) {
    RoutingTable out = onto;
    for (std::size_t i = 0; i < out.sources.size(); ++i) {
        if (before.sources[i] != after.sources[i]) {
            out.sources[i] = pick(before, after).sources[i];
        }
        if (before.flags[i] != after.flags[i]) {
            out.flags[i] = pick(before, after).flags[i];
        }
    }
    return out;
}

} // namespace

MatrixModel::MatrixModel(Session& session, QObject* parent)
    : QObject(parent), session_(session),
      presetLabel_(readPresetLabel(
          toQString(ProgramFolderFiles(session.paths().programFolder, session.paths().dataFolder)
                        .findPath("PresetLabel.txt")))) {
    for (const BankCommand& c : kBankCommands) {
        buttons_.push_back({c.command, c.sourceRow, kCreationX[c.bank],
                            c.sourceRow ? kSourceRowY : kOutputRowY,
                            QString::fromLatin1(kCaptions[c.bank]), c.bank < 4, false});
    }
    connect(&session_, &Session::routingChanged, this, &MatrixModel::routingChanged);
    connect(&session_, &Session::routingLoaded, this, &MatrixModel::clearHistory);
    connect(&session_, &Session::unitListChanged, this, &MatrixModel::forgetOtherUnit);
    connect(&session_, &Session::unitIdentified, this, [this] {
        forgetOtherUnit();
        layOut();
    });
    connect(&session_, &Session::matrixModeChanged, this, &MatrixModel::layOut);
    connect(&session_, &Session::parametersChanged, this, &MatrixModel::layOut);
    connect(&session_, &Session::labelsChanged, this, &MatrixModel::labelsChanged);
    connect(&session_, &Session::routingPresetStoreFailed, this, [this] {
        presetStored_ = false;
        emit layoutChanged();
    });
    connect(&session_, &Session::edited, this, &MatrixModel::unitEdited);
    owner_ = currentOwner();
    grid_.load(RoutingTable::of(session_.current()));
    layOut();
}

MatrixModel::~MatrixModel() = default;

QString MatrixModel::readPresetLabel(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("Preset");
    }
    const QByteArray text = file.read(kPresetLabelLength);
    const qsizetype end = text.indexOf('\r');
    const QByteArray caption = end < 0 ? text : text.left(end);
    return fromWindows1252(
        std::string_view(caption.constData(), static_cast<std::size_t>(caption.size())));
}

// ---- banks ------------------------------------------------------------------------------------

bool MatrixModel::command(int id) {
    if (bankCommand(id) != nullptr) {
        selectBank(id);
        return true;
    }
    switch (id) {
    case mc::matrixMode:
        setMatrixMode(!session_.current().flag(UnitFlag::MatrixMode));
        return true;
    case mc::extendedRouting:
        setExtendedRouting(!session_.current().flag(UnitFlag::ExtendedRouting));
        return true;
    case mc::presetButton:
        presetClick(false);
        return true;
    default:
        return false;
    }
}

std::optional<BankButton> MatrixModel::bankButton(int command) const {
    for (const BankButton& b : buttons_) {
        if (b.command == command) {
            return b;
        }
    }
    return std::nullopt;
}

// Radio buttons per row; SUM cannot be shown against SUM, so that press only
// springs back.
void MatrixModel::selectBank(int command) {
    const BankCommand* c = bankCommand(command);
    const int other = c->sourceRow ? banks_.output : banks_.source;
    if (c->bank != kSumBank || other != kSumBank) {
        (c->sourceRow ? banks_.source : banks_.output) = c->bank;
    }
    refreshButtons();
    emit layoutChanged();
}

QString MatrixModel::sourceCaption(int bank) const {
    if (bank < 0 || bank > kSumBank) {
        return {};
    }
    const bool aes = capabilitiesOf(session_.current()).matrixBanks == MatrixBanks::Aes;
    QString caption = baseCaption(bank, aes);
    if (bank < kSumBank && bankHasSums(RoutingTable::of(session_.current()), bank)) {
        caption += aes && bank < 2 ? QStringLiteral("+") : QStringLiteral(" +");
    }
    return caption;
}

// Pressed looks and captions with their sum markers.
void MatrixModel::refreshButtons() {
    const bool aes = capabilitiesOf(session_.current()).matrixBanks == MatrixBanks::Aes;
    for (BankButton& b : buttons_) {
        const BankCommand* c = bankCommand(b.command);
        b.pressed = c->bank == (c->sourceRow ? banks_.source : banks_.output);
        b.caption = b.sourceRow ? sourceCaption(c->bank) : baseCaption(c->bank, aes);
    }
}

MatrixModel::UnitSettings MatrixModel::unitSettings() const {
    return {matrixMode(), extendedRouting(), {busLevel(0), busLevel(1), busLevel(2), busLevel(3)}};
}

void MatrixModel::layOut() {
    const auto before = std::tuple(buttons_, banks_, shownSettings_);
    const DeviceRecord& r = session_.current();
    const ModelCapabilities caps = capabilitiesOf(r);
    const bool extended = r.flag(UnitFlag::ExtendedRouting);
    const std::vector<Place> places = placesFor(caps.matrixBanks, extended);
    for (BankButton& b : buttons_) {
        const int bank = bankCommand(b.command)->bank;
        const auto place = std::find_if(places.begin(), places.end(),
                                        [bank](const Place& p) { return p.bank == bank; });
        b.visible = place != places.end();
        if (b.visible) {
            b.x = place->x;
        }
        if (bank == kSumBank && !caps.sumBuses) {
            b.visible = false; // other models, and firmware before 6.2
        }
        if (bank == 1 && ((caps.matrixBanks == MatrixBanks::Ad && !b.sourceRow) ||
                          (caps.matrixBanks == MatrixBanks::Da && b.sourceRow))) {
            b.visible = false;
        }
        if (caps.matrixBanks == MatrixBanks::Aes && extended && bank == 0 && !b.sourceRow) {
            b.x = 91;
        }
    }
    correctBanks();
    keepBanksShown();
    refreshButtons();
    shownSettings_ = unitSettings();
    if (std::tuple(buttons_, banks_, shownSettings_) != before) {
        emit layoutChanged();
    }
}

// A bank the unit does not offer is replaced the way the window's own bank
// commands replace it.
void MatrixModel::correctBanks() {
    const DeviceRecord& r = session_.current();
    const MatrixBanks group = capabilitiesOf(r).matrixBanks;
    const bool extended = r.flag(UnitFlag::ExtendedRouting);
    auto secondHalf = [](int bank) { return bank == 4 || bank == 5; };
    auto select = [this](int output, int source) {
        selectBank(output);
        selectBank(source);
    };
    const int o = banks_.output;
    const int s = banks_.source;
    switch (group) {
    case MatrixBanks::Base:
    case MatrixBanks::Lc:
    case MatrixBanks::Ad:
    case MatrixBanks::Da:
        if (o == 0 || s == 0 || (!extended && (secondHalf(o) || secondHalf(s)))) {
            select(mc::outputAnalog, mc::sourceMadi1);
        }
        if (group == MatrixBanks::Ad && (banks_.output < 2 || banks_.source == 0)) {
            select(mc::outputMadi1, mc::sourceMadi1);
        }
        if (group == MatrixBanks::Da && (banks_.output == 0 || banks_.source < 2)) {
            select(mc::outputMadi1, mc::sourceMadi1);
        }
        break;
    case MatrixBanks::Px2:
        if (!extended && (secondHalf(o) || secondHalf(s))) {
            select(mc::outputAnalog, mc::sourceMadi1);
        }
        break;
    case MatrixBanks::Aes:
        if (!extended && (o > 3 || s > 3)) {
            select(mc::outputAnalog, mc::sourceMadi1);
        }
        break;
    case MatrixBanks::Px:
    case MatrixBanks::Standard:
        break;
    }
}

// Whatever the rules above leave: a selected bank whose key is hidden gives way to
// the row's leftmost shown key, so the grid never shows a bank that cannot be
// chosen (a SUM grid on a unit without buses).
void MatrixModel::keepBanksShown() {
    for (const bool sourceRow : {false, true}) {
        int& selected = sourceRow ? banks_.source : banks_.output;
        const int other = sourceRow ? banks_.output : banks_.source;
        const BankButton* leftmost = nullptr;
        bool shown = false;
        for (const BankButton& b : buttons_) {
            if (!b.visible || b.sourceRow != sourceRow) {
                continue;
            }
            const int bank = bankCommand(b.command)->bank;
            shown = shown || bank == selected;
            const bool allowed = bank != kSumBank || other != kSumBank;
            if (allowed && (leftmost == nullptr || b.x < leftmost->x)) {
                leftmost = &b;
            }
        }
        if (!shown && leftmost != nullptr) {
            selected = bankCommand(leftmost->command)->bank;
        }
    }
}

// ---- switches ---------------------------------------------------------------------------------

CheckBoxState MatrixModel::matrixMode() const {
    return {session_.current().flag(UnitFlag::MatrixMode), true, true};
}

CheckBoxState MatrixModel::extendedRouting() const {
    const DeviceRecord& r = session_.current();
    return {r.flag(UnitFlag::ExtendedRouting), r.flag(UnitFlag::MatrixMode),
            extendedRoutingSupported(r.model, static_cast<std::int8_t>(r.at(param::firmwareMajor)),
                                     static_cast<std::int8_t>(r.at(param::firmwareMinor)))};
}

void MatrixModel::setMatrixMode(bool on) {
    session_.editor().setFlag(UnitFlag::MatrixMode, on);
}

void MatrixModel::setExtendedRouting(bool on) {
    if (!extendedRouting().enabled) {
        return; // the box is greyed out while matrix mode is off
    }
    session_.editor().setFlag(UnitFlag::ExtendedRouting, on);
}

// ---- bus levels -------------------------------------------------------------------------------

QStringList MatrixModel::busLevelTexts() {
    return {"0dB", "-6dB", "-12dB", "-18dB", "-24dB", "-30dB", "-36dB", "-42dB"};
}

namespace {

// Each byte holds two bus levels in bits 0-2 and 4-6; bit 3 is the LED dim level's
// and stays as it is.
constexpr std::uint8_t kLedDimBit = 0x08;

std::array<int, kBusCount> busLevels(const DeviceRecord& r) {
    return {r.ledDimEdit1 & 7, (r.ledDimEdit1 >> 4) & 7, r.ledDimEdit2 & 7,
            (r.ledDimEdit2 >> 4) & 7};
}

std::uint8_t withBusLevels(std::uint8_t byte, int low, int high) {
    return static_cast<std::uint8_t>((byte & kLedDimBit) | low | (high << 4));
}

} // namespace

int MatrixModel::busLevel(int bus) const {
    if (bus < 0 || bus >= kBusCount) {
        return -1;
    }
    return busLevels(session_.current())[static_cast<std::size_t>(bus)];
}

void MatrixModel::setBusLevel(int bus, int index) {
    if (bus < 0 || bus >= kBusCount || index < 0 || index >= kLevelCount) {
        return;
    }
    const DeviceRecord& unit = session_.current();
    auto levels = busLevels(unit);
    levels[static_cast<std::size_t>(bus)] = index;
    session_.editor().setBusLevels(withBusLevels(unit.ledDimEdit1, levels[0], levels[1]),
                                   withBusLevels(unit.ledDimEdit2, levels[2], levels[3]));
}

// ---- routing preset button -----------------------------------------------------------------

void MatrixModel::presetClick(bool shift) {
    if (presetStored_) {
        if (shift) {
            session_.storeRoutingPreset();
        } else {
            session_.loadRoutingPreset();
        }
        return;
    }
    // Set before storing: a failed store releases the button again.
    presetStored_ = true;
    emit layoutChanged();
    session_.storeRoutingPreset();
}

// ---- labels -----------------------------------------------------------------------------------

int MatrixModel::sourceLabelIndex(int row) const {
    if (row < 0 || row >= (banks_.source == kSumBank ? kBusCount : kBankSize)) {
        return -1;
    }
    return banks_.source == kSumBank ? kBusLabelBase + row : kBankSize * banks_.source + row;
}

int MatrixModel::outputLabelIndex(int column) const {
    if (column < 0 || column >= (banks_.output == kSumBank ? kBusCount : kBankSize)) {
        return -1;
    }
    return banks_.output == kSumBank ? kBusLabelBase + column
                                     : kOutputLabelBase + kBankSize * banks_.output + column;
}

QString MatrixModel::labelText(int index) const {
    if (index < 0 || index >= kLabelCount) {
        return {};
    }
    return varento::labelText(session_.current().labels[static_cast<std::size_t>(index)]);
}

void MatrixModel::editLabel(int index, const QString& text) {
    session_.editor().setLabel(index, text);
}

// ---- grid and edits ---------------------------------------------------------------------------

void MatrixModel::reload() {
    grid_.load(RoutingTable::of(session_.current()));
    const std::vector<BankButton> before = buttons_;
    refreshButtons();
    emit gridChanged();
    if (buttons_ != before) {
        emit layoutChanged();
    }
}

void MatrixModel::routingChanged() {
    forgetOtherUnit();
    reload();
}

bool MatrixModel::dragEditing() const {
    return session_.state().matrixDraggingMode;
}

void MatrixModel::press(GridCell cell) {
    dragStart_ = cell;
    dragEnd_ = cell;
    startValue_ = grid_.cell(banks_, cell);
    dragDirection_ = dragEditing() ? std::optional(LineDirection::DownRight) : std::nullopt;
}

void MatrixModel::move(GridCell current) {
    if (!dragStart_ || !dragDirection_) {
        return;
    }
    dragEnd_ = current;
    dragDirection_ = RoutingGrid::directionOf(*dragStart_, current, banks_.output == kSumBank);
}

std::vector<GridCell> MatrixModel::dragPreview() const {
    if (!dragStart_ || !dragDirection_) {
        return {};
    }
    return grid_.lineCells(banks_, *dragStart_, dragEnd_, *dragDirection_);
}

void MatrixModel::cancelPress() {
    dragStart_.reset();
    dragDirection_.reset();
}

std::optional<RoutedRange> MatrixModel::release(GridCell end, std::optional<LineDirection> drag) {
    if (!dragStart_) {
        return std::nullopt;
    }
    const GridCell start = *dragStart_;
    cancelPress();
    // In a SUM bank a start beyond the buses does nothing; the release counts as
    // at most the fourth.
    if (!RoutingGrid::editable(banks_, start)) {
        return std::nullopt;
    }
    end.column = std::clamp(end.column, 0, (banks_.output == kSumBank ? kBusCount : kBankSize) - 1);
    end.row = std::clamp(end.row, 0, (banks_.source == kSumBank ? kBusCount : kBankSize) - 1);

    forgetOtherUnit();
    RoutingTable table = RoutingTable::of(session_.current());
    const RoutingTable before = table;
    const RoutedRange range = drag && dragEditing()
                                  ? grid_.lineEdit(banks_, start, end, *drag, startValue_, table)
                                  : grid_.cellEdit(banks_, start, startValue_, table);
    if (table != before) {
        if (undo_.empty() && redo_.empty()) {
            owner_ = currentOwner();
        }
        undo_.push_back({before, table, range});
        redo_.clear();
    }
    // Even an edit that changed nothing tells the unit, as every release does.
    send(range, table);
    emit historyChanged();
    return range;
}

void MatrixModel::send(const RoutedRange& range, const RoutingTable& table) {
    session_.editor().setRoutingRange(range.lowest, range.highest, table);
}

// ---- undo and redo ----------------------------------------------------------------------------

MatrixModel::Owner MatrixModel::currentOwner() const {
    return {session_.current().uid, session_.current().model};
}

void MatrixModel::forgetOtherUnit() {
    if ((canUndo() || canRedo()) && owner_ != currentOwner()) {
        clearHistory();
    }
}

void MatrixModel::clearHistory() {
    if (!canUndo() && !canRedo()) {
        return;
    }
    undo_.clear();
    redo_.clear();
    emit historyChanged();
}

void MatrixModel::unitEdited(const UnitEdit& edit) {
    if (edit.kind == UnitEdit::Kind::FactoryDefaults) {
        clearHistory();
    }
    // The selectors follow a level set from anywhere, not only their own choice.
    if (edit.kind == UnitEdit::Kind::BusLevels) {
        layOut();
    }
}

// Only what the step changed is put back, over the unit as it is now, and the
// step's own range goes out again.
void MatrixModel::undo() {
    forgetOtherUnit();
    if (!canUndo()) {
        return;
    }
    const Step step = undo_.back();
    undo_.pop_back();
    redo_.push_back(step);
    send(step.range, merged(RoutingTable::of(session_.current()), step.before, step.after,
                            [](const RoutingTable& b, const RoutingTable&) -> const RoutingTable& {
                                return b;
                            }));
    emit historyChanged();
}

void MatrixModel::redo() {
    forgetOtherUnit();
    if (!canRedo()) {
        return;
    }
    const Step step = redo_.back();
    redo_.pop_back();
    undo_.push_back(step);
    send(step.range, merged(RoutingTable::of(session_.current()), step.before, step.after,
                            [](const RoutingTable&, const RoutingTable& a) -> const RoutingTable& {
                                return a;
                            }));
    emit historyChanged();
}

} // namespace varento
