#pragma once

#include "protocol/device_uid.h"
#include "protocol/routing_grid.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace varento {

class Session;
struct UnitEdit;

// The matrix window's own command ids: its bank buttons and controls. They stay
// inside the window; only the edits reach the session.
namespace matrix_command {
inline constexpr int outputAnalog = 100;
inline constexpr int outputMadi1 = 101;
inline constexpr int outputMadi2 = 102;
inline constexpr int outputAes = 103;
inline constexpr int sourceAnalog = 104;
inline constexpr int sourceMadi1 = 105;
inline constexpr int sourceMadi2 = 106;
inline constexpr int sourceAes = 107;
inline constexpr int sourceMadi2First = 108;
inline constexpr int sourceMadi2Second = 109;
inline constexpr int outputMadi2First = 110;
inline constexpr int outputMadi2Second = 111;
inline constexpr int sourceSum = 112;
inline constexpr int outputSum = 113;
inline constexpr int busLevelFirst = 114; // .. 117
inline constexpr int matrixMode = 121;
inline constexpr int presetButton = 122;
inline constexpr int extendedRouting = 123;
} // namespace matrix_command

// One bank button as the window lays it out: y before the scroll offset.
struct BankButton {
    int command;
    bool sourceRow;
    int x;
    int y;
    QString caption;
    bool visible;
    bool pressed;
    friend bool operator==(const BankButton&, const BankButton&) = default;
};

struct CheckBoxState {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    friend bool operator==(const CheckBoxState&, const CheckBoxState&) = default;
};

// Everything of the matrix window that is not drawing: the banks shown, the bank
// buttons of the unit's model and firmware, the switches and bus levels shown
// with the matrix, the routing preset button, the labels of the shown rows and
// columns, the grid and its edits, and undo and redo of those edits. Every change
// of the unit goes through Session's editor.
class MatrixModel : public QObject {
    Q_OBJECT

public:
    static constexpr int kSourceRowY = 5;
    static constexpr int kOutputRowY = 45;
    static constexpr int kLevelCount = 8;

    explicit MatrixModel(Session& session, QObject* parent = nullptr);
    ~MatrixModel() override;

    // ---- banks ----
    int outputBank() const { return banks_.output; }
    int sourceBank() const { return banks_.source; }
    Banks banks() const { return banks_; }
    // A bank button's command (100..113); false for an id that is none.
    bool command(int id);
    // The fourteen buttons, source row first, in command order within a row.
    std::vector<BankButton> bankButtons() const { return buttons_; }
    std::optional<BankButton> bankButton(int command) const;
    // The caption of a source bank's button, with its "+" when a channel is summed.
    QString sourceCaption(int bank) const;

    // ---- switches ----
    CheckBoxState matrixMode() const;
    CheckBoxState extendedRouting() const;
    void setMatrixMode(bool on);
    void setExtendedRouting(bool on);

    // ---- bus levels (shown while the outputs are the SUM bank) ----
    bool busLevelsVisible() const { return banks_.output == kSumBank; }
    static QStringList busLevelTexts();
    // Selector 0..3: its index 0..7, -1 when the unit holds a value the list lacks.
    int busLevel(int bus) const;
    void setBusLevel(int bus, int index);

    // ---- routing preset button ----
    bool presetStored() const { return presetStored_; }
    QString presetLabel() const { return presetLabel_; }
    // A click stores the preset the first time, then loads it; Shift stores again.
    void presetClick(bool shift);

    // ---- labels of the shown banks ----
    // The label slot of a shown row or column; -1 past the four buses.
    int sourceLabelIndex(int row) const;
    int outputLabelIndex(int column) const;
    QString labelText(int index) const;
    void editLabel(int index, const QString& text);

    // ---- grid and edits ----
    const RoutingGrid& grid() const { return grid_; }
    // Rebuilds the grid from the unit (the view opening does this).
    void reload();
    bool dragEditing() const;
    // The left button went down over a cell.
    void press(GridCell cell);
    // The mouse moved over a cell while the button is down: the line it would draw.
    void move(GridCell current);
    std::optional<GridCell> dragStart() const { return dragStart_; }
    std::uint8_t startValue() const { return startValue_; }
    std::optional<LineDirection> dragDirection() const { return dragDirection_; }
    std::vector<GridCell> dragPreview() const;
    // The left button came up over `end`: a line edit for `drag` when drag editing
    // is on, else the cell edit of the start cell. Returns the range sent, none
    // when the edit applied nothing.
    std::optional<RoutedRange> release(GridCell end, std::optional<LineDirection> drag);
    // The button came up outside the grid.
    void cancelPress();

    // ---- undo and redo of matrix edits ----
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    void undo();
    void redo();
    void clearHistory();

signals:
    void gridChanged();
    // Banks, bank buttons, check boxes, bus levels or the preset button.
    void layoutChanged();
    void labelsChanged();
    void historyChanged();

private:
    struct Step {
        RoutingTable before;
        RoutingTable after;
        RoutedRange range;
    };
    struct Owner {
        DeviceUid uid{};
        int model = -1;
        friend bool operator==(const Owner&, const Owner&) = default;
    };

    void selectBank(int command);
    void layOut();
    // What the window shows of the unit's own settings.
    struct UnitSettings {
        CheckBoxState matrixMode;
        CheckBoxState extendedRouting;
        std::array<int, 4> busLevels{-1, -1, -1, -1};
        friend bool operator==(const UnitSettings&, const UnitSettings&) = default;
    };
    UnitSettings unitSettings() const;
    void correctBanks();
    void keepBanksShown();
    void refreshButtons();
    void routingChanged();
    void unitEdited(const UnitEdit& edit);
    void forgetOtherUnit();
    void send(const RoutedRange& range, const RoutingTable& table);
    Owner currentOwner() const;
    static QString readPresetLabel(const QString& path);

    Session& session_;
    RoutingGrid grid_;
    Banks banks_;
    std::vector<BankButton> buttons_;
    // As last laid out: the record has already changed when a reply or an edit
    // asks for a new layout.
    UnitSettings shownSettings_;
    bool presetStored_ = false;
    QString presetLabel_;
    std::optional<GridCell> dragStart_;
    GridCell dragEnd_;
    std::uint8_t startValue_ = kCellFree;
    std::optional<LineDirection> dragDirection_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    Owner owner_;
};

} // namespace varento
